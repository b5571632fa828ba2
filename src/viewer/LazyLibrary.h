#pragma once
#include <QString>

// A decoding library opened the first time a picture of its format comes
// (dlopen), so that a process that never meets the format does not spend
// part of its start loading the library and setting it up: libjxl and
// libheif took several milliseconds of every start of the program and of
// every decoding helper. An opened library stays for the process's life.
//
// Each decoder lists the functions it calls, once, and gets a table of
// them: GW_LAZY_DECLARE makes a member for each, GW_LAZY_RESOLVE fills it.
namespace lazylibrary {

// The library by the name the loader knows (its soname); null with
// *problem set when it cannot be opened.
void *open(const char *soname, QString *problem);
// A function of it; null with *problem set when it has none of that name.
void *function(void *library, const char *soname, const char *name, QString *problem);

} // namespace lazylibrary

#define GW_LAZY_DECLARE(f) decltype(&::f) f = nullptr;
#define GW_LAZY_RESOLVE(library, soname, table, f)                                                         \
    if (!table.problem.isEmpty()                                                                           \
        || !(table.f = reinterpret_cast<decltype(table.f)>(                                                \
                 lazylibrary::function(library, soname, #f, &table.problem))))                             \
        return table;
