#include "App/HotKeyRecorder.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

using namespace holdra;
using Modifier = GlobalHotKey::Modifier;

namespace {

QKeyEvent keyPress(int key, Qt::KeyboardModifiers modifiers, quint32 scanCode, quint32 keysym, const QString &text = {})
{
    return QKeyEvent(QEvent::KeyPress, key, modifiers, scanCode, keysym, 0, text);
}

} // namespace

// On X11 the key is read from its keycode, so Shift does not turn "1" into "!".
// (Refused keys and their hint are checked through the settings window.)
TEST(HotKeyRecorderTest, TheKeyIsReadFromItsKeycodeBeforeWhatShiftMadeOfIt)
{
    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    HotKeyRecorder recorder(settings, nullptr, [](quint32 keycode) -> std::optional<quint32> {
        return keycode == 10 ? std::optional(quint32('1')) : std::nullopt;
    });
    // Not recording: keys are left to whoever else wants them.
    EXPECT_FALSE(recorder.handleKeyPress(keyPress(Qt::Key_A, Qt::ControlModifier, 0, 'a')));
    EXPECT_EQ(settings.hotKey(), GlobalHotKey::defaultHotKey());

    const struct
    {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        quint32 keycode;
        quint32 keysym;
        GlobalHotKey expected;
    } cases[] = {
        {Qt::Key_Exclam, Qt::ShiftModifier | Qt::ControlModifier, 10, '!', {18, Modifier::Shift | Modifier::Control}},
        // The keypad's 7 with NumLock off. (Every keysym's key is the kit's table.)
        {Qt::Key_7, Qt::ControlModifier, 79, 0xff95, {89, Modifier::Control}},
    };
    for (const auto &c : cases) {
        recorder.start();
        EXPECT_TRUE(recorder.handleKeyPress(keyPress(c.qtKey, c.modifiers, c.keycode, c.keysym)));
        EXPECT_FALSE(recorder.isRecording()) << c.keysym;
        EXPECT_EQ(settings.hotKey(), c.expected) << c.keysym;
    }
}
