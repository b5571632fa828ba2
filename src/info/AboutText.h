#pragma once
#include <QString>

// The about box's texts, kept together so that they change in one place.
namespace about {
QString title();             // the application title
QString versionText();       // "Version " and the build's major.minor.patch
QString credits();           // two lines with an empty line between them
QString makerAddress();      // the maker's home page
QString advertAddress();     // the advertising page (with a query part)
}
