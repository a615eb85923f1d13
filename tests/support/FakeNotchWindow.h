#pragma once

#include "Panel/NotchWindowing.h"

#include <QString>

#include <map>

namespace holdra::test {

// A window as the controller leaves it.
struct WindowState
{
    QRectF frame;
    bool visible = false;
    bool key = false;
};

class FakeNotchWindow final : public NotchWindowing
{
public:
    FakeNotchWindow(std::map<QString, WindowState> &states, const QString &id)
        : m_states(states)
        , m_id(id)
    {
        m_states[id] = {};
    }
    ~FakeNotchWindow() override { m_states.erase(m_id); }

    QRectF frame() const override { return state().frame; }
    void setFrame(const QRectF &frame) override { state().frame = frame; }
    void orderFront() override { show(true, false); }
    void makeKeyAndOrderFront() override { show(true, true); }
    void orderOut() override { show(false, false); }

private:
    WindowState &state() const { return m_states.at(m_id); }
    void show(bool visible, bool key) const
    {
        state().visible = visible;
        state().key = key;
    }

    std::map<QString, WindowState> &m_states;
    QString m_id;
};

} // namespace holdra::test
