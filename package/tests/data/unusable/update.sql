select 1 from rdb$database;
