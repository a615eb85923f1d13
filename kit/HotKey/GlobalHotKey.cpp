#include "HotKey/GlobalHotKey.h"

#include "Settings/UserDefaults.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

#include <array>
#include <cmath>

namespace holdra {

namespace {

const QString defaultsKey = QStringLiteral("settings.globalHotKey");

// X11 modifier masks (X.h): ShiftMask, ControlMask, Mod1Mask (Alt), Mod4Mask (Super).
constexpr quint32 x11ShiftMask = 0x01;
constexpr quint32 x11ControlMask = 0x04;
constexpr quint32 x11AltMask = 0x08;
constexpr quint32 x11SuperMask = 0x40;

struct Key
{
    quint32 keyCode;         // macOS virtual key code
    const char16_t *name;    // in the settings window, the Linux way ("F1", "Home")
    quint32 keysym;          // X11 keysym of the unshifted key (keysymdef.h), used to grab it
    quint32 otherKeysym = 0; // what the key's first level says on some layouts
    bool macName = false;    // `name` is also the Mac-style name of displayString
};

// Every key of the Mac keyboard numbering that a Linux keyboard has too. The
// keypad's first level without NumLock is its navigation keysym, hence the
// second keysym there.
constexpr std::array keys{
    Key{49, u"Space", 0x0020, 0, true},
    Key{36, u"Return", 0xff0d, 0, true},
    Key{53, u"Esc", 0xff1b, 0, true},
    Key{48, u"Tab", 0xff09, 0xfe20, true}, // ISO_Left_Tab is Shift+Tab
    Key{51, u"Delete", 0xff08, 0, true},
    Key{123, u"←", 0xff51, 0, true},
    Key{124, u"→", 0xff53, 0, true},
    Key{125, u"↓", 0xff54, 0, true},
    Key{126, u"↑", 0xff52, 0, true},

    Key{0, u"A", 'a', 0, true},
    Key{11, u"B", 'b', 0, true},
    Key{8, u"C", 'c', 0, true},
    Key{2, u"D", 'd', 0, true},
    Key{14, u"E", 'e', 0, true},
    Key{3, u"F", 'f', 0, true},
    Key{5, u"G", 'g', 0, true},
    Key{4, u"H", 'h', 0, true},
    Key{34, u"I", 'i', 0, true},
    Key{38, u"J", 'j', 0, true},
    Key{40, u"K", 'k', 0, true},
    Key{37, u"L", 'l', 0, true},
    Key{46, u"M", 'm', 0, true},
    Key{45, u"N", 'n', 0, true},
    Key{31, u"O", 'o', 0, true},
    Key{35, u"P", 'p', 0, true},
    Key{12, u"Q", 'q', 0, true},
    Key{15, u"R", 'r', 0, true},
    Key{1, u"S", 's', 0, true},
    Key{17, u"T", 't', 0, true},
    Key{32, u"U", 'u', 0, true},
    Key{9, u"V", 'v', 0, true},
    Key{13, u"W", 'w', 0, true},
    Key{7, u"X", 'x', 0, true},
    Key{16, u"Y", 'y', 0, true},
    Key{6, u"Z", 'z', 0, true},

    Key{29, u"0", '0', 0, true},
    Key{18, u"1", '1', 0, true},
    Key{19, u"2", '2', 0, true},
    Key{20, u"3", '3', 0, true},
    Key{21, u"4", '4', 0, true},
    Key{23, u"5", '5', 0, true},
    Key{22, u"6", '6', 0, true},
    Key{26, u"7", '7', 0, true},
    Key{28, u"8", '8', 0, true},
    Key{25, u"9", '9', 0, true},

    Key{24, u"=", '='},
    Key{27, u"-", '-'},
    Key{30, u"]", ']'},
    Key{33, u"[", '['},
    Key{39, u"'", '\''},
    Key{41, u";", ';'},
    Key{42, u"\\", '\\'},
    Key{43, u",", ','},
    Key{44, u"/", '/'},
    Key{47, u".", '.'},
    Key{50, u"`", '`'},
    Key{10, u"<", '<'}, // the extra key of ISO keyboards, beside the left Shift

    Key{122, u"F1", 0xffbe},
    Key{120, u"F2", 0xffbf},
    Key{99, u"F3", 0xffc0},
    Key{118, u"F4", 0xffc1},
    Key{96, u"F5", 0xffc2},
    Key{97, u"F6", 0xffc3},
    Key{98, u"F7", 0xffc4},
    Key{100, u"F8", 0xffc5},
    Key{101, u"F9", 0xffc6},
    Key{109, u"F10", 0xffc7},
    Key{103, u"F11", 0xffc8},
    Key{111, u"F12", 0xffc9},
    Key{105, u"F13", 0xffca},
    Key{107, u"F14", 0xffcb},
    Key{113, u"F15", 0xffcc},
    Key{106, u"F16", 0xffcd},
    Key{64, u"F17", 0xffce},
    Key{79, u"F18", 0xffcf},
    Key{80, u"F19", 0xffd0},
    Key{90, u"F20", 0xffd1},

    Key{82, u"KP_0", 0xffb0, 0xff9e},
    Key{83, u"KP_1", 0xffb1, 0xff9c},
    Key{84, u"KP_2", 0xffb2, 0xff99},
    Key{85, u"KP_3", 0xffb3, 0xff9b},
    Key{86, u"KP_4", 0xffb4, 0xff96},
    Key{87, u"KP_5", 0xffb5, 0xff9d},
    Key{88, u"KP_6", 0xffb6, 0xff98},
    Key{89, u"KP_7", 0xffb7, 0xff95},
    Key{91, u"KP_8", 0xffb8, 0xff97},
    Key{92, u"KP_9", 0xffb9, 0xff9a},
    Key{65, u"KP_Decimal", 0xffae, 0xff9f},
    Key{67, u"KP_Multiply", 0xffaa},
    Key{69, u"KP_Add", 0xffab},
    Key{78, u"KP_Subtract", 0xffad},
    Key{75, u"KP_Divide", 0xffaf},
    Key{76, u"KP_Enter", 0xff8d},
    Key{81, u"KP_Equal", 0xffbd},
    Key{71, u"Clear", 0xff0b},

    Key{115, u"Home", 0xff50},
    Key{119, u"End", 0xff57},
    Key{116, u"PgUp", 0xff55},
    Key{121, u"PgDown", 0xff56},
    Key{117, u"Del", 0xffff},
    Key{114, u"Ins", 0xff63, 0xff6a}, // Help
    Key{72, u"VolumeUp", 0x1008ff13},
    Key{73, u"VolumeDown", 0x1008ff11},
    Key{74, u"VolumeMute", 0x1008ff12},
};

const Key *keyForCode(quint32 keyCode)
{
    for (const Key &key : keys) {
        if (key.keyCode == keyCode)
            return &key;
    }
    return nullptr;
}

// A JSON number that is a whole unsigned 32-bit value.
std::optional<quint32> uint32From(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number < 0 || number > 4294967295.0 || std::trunc(number) != number)
        return std::nullopt;
    return static_cast<quint32>(number);
}

} // namespace

GlobalHotKey GlobalHotKey::defaultHotKey()
{
    return {49, Modifier::Control | Modifier::Option};
}

QString GlobalHotKey::displayString() const
{
    QString text;
    if (m_modifiers.testFlag(Modifier::Control))
        text += QStringLiteral("⌃");
    if (m_modifiers.testFlag(Modifier::Option))
        text += QStringLiteral("⌥");
    if (m_modifiers.testFlag(Modifier::Shift))
        text += QStringLiteral("⇧");
    if (m_modifiers.testFlag(Modifier::Command))
        text += QStringLiteral("⌘");
    // Keys without a Mac name of their own are written by their code, as on the Mac.
    if (const Key *key = keyForCode(m_keyCode); key && key->macName)
        text += QString::fromUtf16(key->name);
    else
        text += QStringLiteral("Key") + QString::number(m_keyCode);
    return text;
}

QString GlobalHotKey::keySequenceText() const
{
    QStringList parts;
    if (m_modifiers.testFlag(Modifier::Control))
        parts.append(QStringLiteral("Ctrl"));
    if (m_modifiers.testFlag(Modifier::Option))
        parts.append(QStringLiteral("Alt"));
    if (m_modifiers.testFlag(Modifier::Shift))
        parts.append(QStringLiteral("Shift"));
    if (m_modifiers.testFlag(Modifier::Command))
        parts.append(QStringLiteral("Super"));
    // Linux names the arrows and the backspace key in words.
    static const QHash<quint32, QString> linuxNames{
        {51, QStringLiteral("Backspace")}, {123, QStringLiteral("Left")}, {124, QStringLiteral("Right")},
        {125, QStringLiteral("Down")},     {126, QStringLiteral("Up")},
    };
    if (const auto word = linuxNames.constFind(m_keyCode); word != linuxNames.cend())
        parts.append(*word);
    else if (const Key *key = keyForCode(m_keyCode))
        parts.append(QString::fromUtf16(key->name));
    else
        parts.append(QStringLiteral("Key") + QString::number(m_keyCode));
    return parts.join(u'+');
}

QByteArray GlobalHotKey::toJson() const
{
    const QJsonObject object{
        {QStringLiteral("keyCode"), qint64(m_keyCode)},
        {QStringLiteral("modifiers"), qint64(m_modifiers.toInt())},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<GlobalHotKey> GlobalHotKey::fromJson(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const auto keyCode = uint32From(object.value(QLatin1String("keyCode")));
    const auto modifiers = uint32From(object.value(QLatin1String("modifiers")));
    if (!keyCode || !modifiers)
        return std::nullopt;
    return GlobalHotKey(*keyCode, Modifiers::fromInt(*modifiers));
}

std::optional<GlobalHotKey> GlobalHotKey::load(const UserDefaults &defaults)
{
    const auto json = defaults.dataValue(defaultsKey);
    if (!json)
        return std::nullopt;
    return fromJson(*json);
}

void GlobalHotKey::save(UserDefaults &defaults) const
{
    defaults.setData(defaultsKey, toJson());
}

std::optional<quint32> GlobalHotKey::x11Keysym() const
{
    if (const Key *key = keyForCode(m_keyCode))
        return key->keysym;
    return std::nullopt;
}

quint32 GlobalHotKey::x11ModifierMask() const
{
    quint32 mask = 0;
    if (m_modifiers.testFlag(Modifier::Command))
        mask |= x11SuperMask;
    if (m_modifiers.testFlag(Modifier::Option))
        mask |= x11AltMask;
    if (m_modifiers.testFlag(Modifier::Control))
        mask |= x11ControlMask;
    if (m_modifiers.testFlag(Modifier::Shift))
        mask |= x11ShiftMask;
    return mask;
}

std::optional<quint32> GlobalHotKey::keyCodeForX11Keysym(quint32 keysym)
{
    if (keysym >= 'A' && keysym <= 'Z')
        keysym += 'a' - 'A';
    for (const Key &key : keys) {
        if (key.keysym == keysym || (key.otherKeysym != 0 && key.otherKeysym == keysym))
            return key.keyCode;
    }
    return std::nullopt;
}

GlobalHotKey::Modifiers GlobalHotKey::modifiersFromQt(Qt::KeyboardModifiers modifiers)
{
    Modifiers result;
    if (modifiers.testFlag(Qt::MetaModifier))
        result |= Modifier::Command;
    if (modifiers.testFlag(Qt::AltModifier))
        result |= Modifier::Option;
    if (modifiers.testFlag(Qt::ControlModifier))
        result |= Modifier::Control;
    if (modifiers.testFlag(Qt::ShiftModifier))
        result |= Modifier::Shift;
    return result;
}

} // namespace holdra
