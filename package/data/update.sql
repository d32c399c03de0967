/* ------ DB Error Fixed Ver 1.2.1 ------ */

ALTER TABLE T_PROJECT
ADD ICONID INTEGER;

--block--

alter table T_PROJECT
alter ID position 1;

--block--

alter table T_PROJECT
alter S_NAME position 2;

--block--

alter table T_PROJECT
alter S_DESCRIPTION position 3;

--block--

alter table T_PROJECT
alter V_COUNTDEV_SCHEDULED position 4;

--block--

alter table T_PROJECT
alter V_COUNTDEV_COMPLETE position 5;

--block--

alter table T_PROJECT
alter S_CATEGORY position 6;

--block--

alter table T_PROJECT
alter D_BEGIN position 7;

--block--

alter table T_PROJECT
alter D_END position 8;

--block--

alter table T_PROJECT
alter F_PROGRESS position 9;

--block--

alter table T_PROJECT
alter ICONID position 10;

--block--

alter table T_PROJECT
alter V_FLAG position 11;

--block--

alter table T_PROJECT
alter C_TIMESTAMP position 12;

--block--

alter table T_PROJECT
alter U_TIMESTAMP position 13;

--block--

SET TERM ^ ;
CREATE OR ALTER procedure INSERT_PROJECT (
    I_S_NAME varchar(255) not null,
    I_S_DESCRIPTION varchar(16384),
    I_V_COUNTDEV_SCHEDULED integer,
    I_V_COUNTDEV_COMPLETE integer,
    I_S_CATEGORY varchar(255),
    I_D_BEGIN date,
    I_D_END date,
    I_F_PROGRESS numeric(1,0),
    I_ICONID integer,
    I_V_FLAG integer,
    I_C_TIMESTAMP timestamp) 
returns (
    O_ID integer) 
as
declare variable TMP_ID integer;
begin
  /* Generate new ID */
  select gen_id(gen_t_project_id,1) from rdb$database
  into :TMP_ID;

  /* Insert new item */
  insert into T_PROJECT (ID, S_NAME, S_DESCRIPTION, V_COUNTDEV_SCHEDULED, V_COUNTDEV_COMPLETE,
  S_CATEGORY, D_BEGIN, D_END, F_PROGRESS, ICONID, V_FLAG, C_TIMESTAMP, U_TIMESTAMP)
  values (:TMP_ID, :I_S_NAME, :I_S_DESCRIPTION, :I_V_COUNTDEV_SCHEDULED, :I_V_COUNTDEV_COMPLETE,
  :I_S_CATEGORY, :I_D_BEGIN, :I_D_END, :I_F_PROGRESS, :I_ICONID, :I_V_FLAG, :I_C_TIMESTAMP, NULL);

  /* Return ID */
  O_ID = TMP_ID;

  suspend;
end
^
SET TERM ; ^