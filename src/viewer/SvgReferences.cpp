#include "viewer/SvgReferences.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {
bool insideTheFile(QStringView href)
{
    const QStringView h = href.trimmed();
    return h.startsWith(u'#') || h.startsWith(u"data:", Qt::CaseInsensitive);
}

// A name without its prefix ("xlink:href" is href).
QStringView local(QStringView qualified)
{
    return qualified.mid(qualified.lastIndexOf(u':') + 1);
}

// An element that would fetch what its href names.
bool reachesOut(const QXmlStreamReader &xml)
{
    const QStringView name = local(xml.name());
    if (name != u"image" && name != u"use" && name != u"feImage" && name != u"script")
        return false;
    for (const QXmlStreamAttribute &a : xml.attributes())
        if (local(a.qualifiedName()) == u"href" && !insideTheFile(a.value()))
            return true;
    return name == u"script";
}
} // namespace

QByteArray svgWithoutOutsideReferences(const QByteArray &svg)
{
    QXmlStreamReader xml(svg);
    // Names and namespace declarations are copied as they are written.
    xml.setNamespaceProcessing(false);
    QByteArray out;
    QXmlStreamWriter writer(&out);
    int skipping = 0;   // depth inside an element that is left out
    while (!xml.atEnd()) {
        xml.readNext();
        if (skipping > 0) {
            if (xml.isStartElement())
                ++skipping;
            else if (xml.isEndElement())
                --skipping;
            continue;
        }
        switch (xml.tokenType()) {
        case QXmlStreamReader::StartElement:
            if (reachesOut(xml)) {
                skipping = 1;
                continue;
            }
            break;
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
        case QXmlStreamReader::ProcessingInstruction:   // xml-stylesheet
            continue;
        default:
            break;
        }
        writer.writeCurrentToken(xml);
    }
    if (xml.hasError())
        return {};
    return out;
}
