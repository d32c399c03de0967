#pragma once

// Identifiers of the program's own resources, shared by dbupdate.rc and the C++ sources that
// load them (hence a macro: the resource compiler reads only the preprocessor's language).

#define DBUPDATE_LOGO_RESOURCE 101
