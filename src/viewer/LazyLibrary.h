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

// The named function of the library known to the loader by soname (opened
// on the first call, kept open); null with *problem set when the library
// cannot be opened or has no such function.
void *function(const char *soname, const char *name, QString *problem);

} // namespace lazylibrary

#define GW_LAZY_DECLARE(f) decltype(&::f) f = nullptr;
// Fills table.f unless an earlier function was missing (table.problem says which).
#define GW_LAZY_RESOLVE(soname, table, f)                                                                  \
    if (table.problem.isEmpty())                                                                           \
        table.f = reinterpret_cast<decltype(table.f)>(lazylibrary::function(soname, #f, &table.problem));
