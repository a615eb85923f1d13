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
    void orderFront() override
    {
        state().visible = true;
        state().key = false;
    }
    void makeKeyAndOrderFront() override
    {
        state().visible = true;
        state().key = true;
    }
    void orderOut() override
    {
        state().visible = false;
        state().key = false;
    }

private:
    WindowState &state() const { return m_states.at(m_id); }

    std::map<QString, WindowState> &m_states;
    QString m_id;
};

} // namespace holdra::test
