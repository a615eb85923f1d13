#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <optional>

namespace holdra {

class UserDefaults;

// The system-wide shortcut that shows or hides the panel: a key code in the macOS
// keyboard numbering (49 is the space bar) and the modifiers held with it. Stored
// values keep that numbering so they read the same on every platform; the X11
// keysym and modifier mask are derived from it when the key is grabbed.
class GlobalHotKey
{
    Q_GADGET
    Q_PROPERTY(quint32 keyCode READ keyCode CONSTANT)
    Q_PROPERTY(Modifiers modifiers READ modifiers CONSTANT)
    Q_PROPERTY(QString displayString READ displayString CONSTANT)

public:
    enum class Modifier : quint32 {
        Command = 1,
        Option = 2,
        Control = 4,
        Shift = 8,
    };
    Q_DECLARE_FLAGS(Modifiers, Modifier)
    Q_FLAG(Modifiers)

    constexpr GlobalHotKey() = default;
    constexpr GlobalHotKey(quint32 keyCode, Modifiers modifiers)
        : m_keyCode(keyCode)
        , m_modifiers(modifiers)
    {
    }

    // Control-Option-Space.
    static GlobalHotKey defaultHotKey();

    quint32 keyCode() const { return m_keyCode; }
    Modifiers modifiers() const { return m_modifiers; }

    // Modifier glyphs in the order ⌃⌥⇧⌘, then the key's name, or "Key" and the code.
    QString displayString() const;
    // The Linux desktop's spelling, "Ctrl+Alt+Shift+Super+Space", for the
    // settings window.
    QString keySequenceText() const;

    // {"keyCode":…,"modifiers":…} with the modifiers' raw value as one number.
    QByteArray toJson() const;
    static std::optional<GlobalHotKey> fromJson(const QByteArray &json);

    // Under "settings.globalHotKey"; nothing when the key is missing or undecodable.
    static std::optional<GlobalHotKey> load(const UserDefaults &defaults);
    void save(UserDefaults &defaults) const;

    // The X11 side of the grab: the key's keysym (absent for keys without one) and
    // the modifier mask, command→Super, option→Alt, control→Ctrl, shift→Shift.
    std::optional<quint32> x11Keysym() const;
    quint32 x11ModifierMask() const;

    // For recording: the key code of a pressed key's keysym (upper-case letters fold
    // to their key), and the modifiers of a Qt key event (Meta is Super on X11).
    static std::optional<quint32> keyCodeForX11Keysym(quint32 keysym);
    static Modifiers modifiersFromQt(Qt::KeyboardModifiers modifiers);

    friend bool operator==(const GlobalHotKey &, const GlobalHotKey &) = default;

private:
    quint32 m_keyCode = 0;
    Modifiers m_modifiers;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(GlobalHotKey::Modifiers)

} // namespace holdra
