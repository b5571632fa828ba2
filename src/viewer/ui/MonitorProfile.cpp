#include "viewer/ui/MonitorProfile.h"

#include <QGuiApplication>
#include <QScreen>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {
// Profiles are a few kilobytes; a table-based one may be a few megabytes.
constexpr uint32_t MostWords = (16u << 20) / 4;

template <typename T>
std::unique_ptr<T, decltype(&std::free)> owned(T *reply)
{
    return {reply, &std::free};
}
} // namespace

QByteArray monitorProfile(const QScreen *screen)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || !screen)
        return {};
    const int index = std::max<int>(0, QGuiApplication::screens().indexOf(const_cast<QScreen *>(screen)));
    const QByteArray name = index == 0 ? QByteArray("_ICC_PROFILE") : "_ICC_PROFILE_" + QByteArray::number(index);
    const auto atom = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.constData()), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return {};
    const xcb_screen_t *root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root->root, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, MostWords),
        nullptr));
    if (!reply || reply->format != 8)
        return {};
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}
