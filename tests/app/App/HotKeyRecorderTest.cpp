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
TEST(HotKeyRecorderTest, TheKeyIsReadFromItsKeycodeBeforeWhatShiftMadeOfIt)
{
    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    HotKeyRecorder recorder(settings, nullptr, [](quint32 keycode) -> std::optional<quint32> {
        if (keycode == 10)
            return quint32('1');
        return std::nullopt;
    });
    recorder.start();
    EXPECT_TRUE(recorder.handleKeyPress(keyPress(Qt::Key_Exclam, Qt::ShiftModifier | Qt::ControlModifier, 10, '!', "!")));
    EXPECT_EQ(settings.hotKey(), GlobalHotKey(18, Modifier::Shift | Modifier::Control));

    // An unmapped keycode falls back to the event's keysym.
    recorder.start();
    EXPECT_TRUE(recorder.handleKeyPress(keyPress(Qt::Key_B, Qt::AltModifier, 99, 'b')));
    EXPECT_EQ(settings.hotKey(), GlobalHotKey(11, Modifier::Option));

    // Keys that were refused before: F-keys, keypad, navigation and punctuation.
    const struct
    {
        int qtKey;
        quint32 keycode;
        quint32 keysym;
        quint32 code;
    } accepted[] = {{Qt::Key_F1, 67, 0xffbe, 122},   {Qt::Key_F20, 198, 0xffd1, 90},
                    {Qt::Key_Home, 110, 0xff50, 115}, {Qt::Key_PageDown, 117, 0xff56, 121},
                    {Qt::Key_7, 79, 0xff95, 89} /* keypad 7, NumLock off */, {Qt::Key_Slash, 61, '/', 44}};
    for (const auto &key : accepted) {
        recorder.start();
        EXPECT_TRUE(recorder.handleKeyPress(keyPress(key.qtKey, Qt::ControlModifier, 0, key.keysym)));
        EXPECT_FALSE(recorder.isRecording()) << key.code;
        EXPECT_EQ(settings.hotKey(), GlobalHotKey(key.code, Modifier::Control));
    }

    // A key without a Mac key code: refused with the reason, recording goes on, nothing changes.
    recorder.start();
    EXPECT_TRUE(recorder.handleKeyPress(keyPress(Qt::Key_Print, Qt::ControlModifier, 107, 0xff61)));
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_EQ(recorder.hintText(), QString::fromUtf8(HotKeyRecorder::refusedKeyHint).arg(QStringLiteral("Print")));
    EXPECT_EQ(settings.hotKey(), GlobalHotKey(44, Modifier::Control));
    // Stopping and starting again clears the refusal.
    recorder.stop();
    recorder.start();
    EXPECT_TRUE(recorder.hintText().isEmpty());
}

TEST(HotKeyRecorderTest, KeysArePassedOnWhenNotRecording)
{
    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    HotKeyRecorder recorder(settings, nullptr, [](quint32) { return std::nullopt; });
    EXPECT_FALSE(recorder.handleKeyPress(keyPress(Qt::Key_A, Qt::ControlModifier, 0, 'a')));
    EXPECT_FALSE(recorder.handleKeyPress(keyPress(Qt::Key_Escape, Qt::NoModifier, 0, 0xff1b)));
    EXPECT_EQ(settings.hotKey(), GlobalHotKey::defaultHotKey());
    EXPECT_EQ(recorder.label(), "Ctrl+Alt+Space");
}
