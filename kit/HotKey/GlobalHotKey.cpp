#include "HotKey/GlobalHotKey.h"

#include "Settings/UserDefaults.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QHash>
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
    quint32 keyCode;      // macOS virtual key code
    const char16_t *name; // as shown in the settings window
    quint32 keysym;       // X11 keysym of the unshifted key (keysymdef.h)
};

// Named keys, letters and digits: the keys that have a name of their own.
constexpr std::array keys{
    Key{49, u"Space", 0x0020},  Key{36, u"Return", 0xff0d}, Key{53, u"Esc", 0xff1b},
    Key{48, u"Tab", 0xff09},    Key{51, u"Delete", 0xff08}, Key{123, u"←", 0xff51},
    Key{124, u"→", 0xff53},     Key{125, u"↓", 0xff54},     Key{126, u"↑", 0xff52},

    Key{0, u"A", 'a'},  Key{11, u"B", 'b'}, Key{8, u"C", 'c'},  Key{2, u"D", 'd'},
    Key{14, u"E", 'e'}, Key{3, u"F", 'f'},  Key{5, u"G", 'g'},  Key{4, u"H", 'h'},
    Key{34, u"I", 'i'}, Key{38, u"J", 'j'}, Key{40, u"K", 'k'}, Key{37, u"L", 'l'},
    Key{46, u"M", 'm'}, Key{45, u"N", 'n'}, Key{31, u"O", 'o'}, Key{35, u"P", 'p'},
    Key{12, u"Q", 'q'}, Key{15, u"R", 'r'}, Key{1, u"S", 's'},  Key{17, u"T", 't'},
    Key{32, u"U", 'u'}, Key{9, u"V", 'v'},  Key{13, u"W", 'w'}, Key{7, u"X", 'x'},
    Key{16, u"Y", 'y'}, Key{6, u"Z", 'z'},

    Key{29, u"0", '0'}, Key{18, u"1", '1'}, Key{19, u"2", '2'}, Key{20, u"3", '3'},
    Key{21, u"4", '4'}, Key{23, u"5", '5'}, Key{22, u"6", '6'}, Key{26, u"7", '7'},
    Key{28, u"8", '8'}, Key{25, u"9", '9'},
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
    if (const Key *key = keyForCode(m_keyCode))
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
    constexpr quint32 isoLeftTab = 0xfe20; // what Shift+Tab reports
    if (keysym >= 'A' && keysym <= 'Z')
        keysym += 'a' - 'A';
    else if (keysym == isoLeftTab)
        keysym = 0xff09;
    for (const Key &key : keys) {
        if (key.keysym == keysym)
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
