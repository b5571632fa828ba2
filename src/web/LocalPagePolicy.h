#pragma once
#include <QStringList>
#include <QUrl>

// What a page opened from disk may reach. A hostile .html or .swf in a
// download folder must not read the user's other files, nor send anything
// anywhere: a local page may load what sits in its own folder and below it
// (and in the folders given here), and the user may still follow its links.
// Pages from the web are left to the web engine's own rules.
struct LocalPagePolicy {
    QStringList folders;   // further folders local pages may read from

    struct Request {
        QUrl page;              // the top page that asks (its first-party address)
        QUrl target;            // what it asks for
        bool mainFrame = false; // the page itself is replaced (a navigation)
        bool byUser = false;    // a link the user followed or an address typed
    };
    bool allows(const Request &request) const;
};
