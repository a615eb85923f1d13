#include "Platform/X11RandrOutputs.h"

#include "Platform/X11Session.h"

#include <QList>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace holdra::X11RandrOutputs {

namespace {

template<typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> own(Reply *reply)
{
    return {reply, &std::free};
}

} // namespace

QHash<QString, quint32> numbersByName()
{
    xcb_connection_t *connection = X11Session::qtConnection();
    if (!connection)
        return {};
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_randr_id);
    if (!extension || !extension->present)
        return {};
    const xcb_window_t root = X11Session::rootWindow(connection);
    auto resources = own(xcb_randr_get_screen_resources_current_reply(
        connection, xcb_randr_get_screen_resources_current(connection, root), nullptr));
    if (!resources)
        return {};

    const xcb_randr_output_t *outputs = xcb_randr_get_screen_resources_current_outputs(resources.get());
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources.get());
    QList<xcb_randr_get_output_info_cookie_t> cookies;
    for (int i = 0; i < count; ++i)
        cookies.append(xcb_randr_get_output_info(connection, outputs[i], resources->config_timestamp));

    QHash<QString, quint32> numbers;
    for (int i = 0; i < count; ++i) {
        auto info = own(xcb_randr_get_output_info_reply(connection, cookies[i], nullptr));
        if (!info)
            continue;
        const auto *name = reinterpret_cast<const char *>(xcb_randr_get_output_info_name(info.get()));
        numbers.insert(QString::fromUtf8(name, xcb_randr_get_output_info_name_length(info.get())), outputs[i]);
    }
    return numbers;
}

} // namespace holdra::X11RandrOutputs
