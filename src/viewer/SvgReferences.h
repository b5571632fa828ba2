#pragma once
#include <QByteArray>

// An SVG as a browser draws it as a picture: the same drawing with every
// reference to another file taken out (images, uses and filter images
// that name a file, style sheets, the document type with its entities), so
// that it can draw nothing but itself: no picture of the user's, no named
// pipe, no drawing that names itself. Pictures written into the file
// (data: addresses) and references inside it (#name) stay. Empty when the
// text is not well-formed XML.
QByteArray svgWithoutOutsideReferences(const QByteArray &svg);
