#include "App/HotKeyRecorder.h"

#include "App/HotKeyManager.h"
#include "Settings/AppSettings.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace holdra {

namespace {

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

} // namespace

HotKeyRecorder::HotKeyRecorder(AppSettings &settings, HotKeyManager *manager, KeycodeMap keycodeMap, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_manager(manager)
    , m_keycodeMap(keycodeMap ? std::move(keycodeMap) : KeycodeMap([](quint32) { return std::optional<quint32>(); }))
{
    connect(&m_settings, &AppSettings::hotKeyChanged, this, &HotKeyRecorder::labelChanged);
    if (m_manager) {
        connect(m_manager, &HotKeyManager::registrationChanged, this, &HotKeyRecorder::hintTextChanged);
        connect(m_manager, &HotKeyManager::registrationChanged, this, &HotKeyRecorder::labelChanged);
    }
}

HotKeyRecorder::~HotKeyRecorder()
{
    stop();
}

QString HotKeyRecorder::label() const
{
    if (m_recording)
        return QString::fromUtf8(recordingLabel);
    // A desktop that owns the binding (Wayland's portal) may have chosen another key.
    const QString desktopBinding = m_manager ? m_manager->bindingText() : QString();
    return desktopBinding.isEmpty() ? m_settings.hotKey().keySequenceText() : desktopBinding;
}

QString HotKeyRecorder::hintText() const
{
    if (!m_refusedKey.isEmpty())
        return QString::fromUtf8(refusedKeyHint).arg(m_refusedKey);
    return m_manager ? m_manager->registrationFailureText() : QString();
}

void HotKeyRecorder::toggle()
{
    if (m_recording)
        stop();
    else
        start();
}

void HotKeyRecorder::start()
{
    if (m_recording)
        return;
    m_recording = true;
    setRefusedKey({});
    if (m_manager)
        m_manager->setSuspended(true);
    if (m_window) {
        m_window->installEventFilter(this);
        m_window->setKeyboardGrabEnabled(true);
    }
    Q_EMIT recordingChanged(true);
    Q_EMIT labelChanged();
}

void HotKeyRecorder::stop()
{
    if (!m_recording)
        return;
    m_recording = false;
    if (m_window) {
        m_window->setKeyboardGrabEnabled(false);
        m_window->removeEventFilter(this);
    }
    // The (possibly new) hot key is grabbed again.
    if (m_manager)
        m_manager->setSuspended(false);
    Q_EMIT recordingChanged(false);
    Q_EMIT labelChanged();
}

void HotKeyRecorder::resetToDefault()
{
    stop();
    setRefusedKey({});
    m_settings.resetHotKey();
}

std::optional<quint32> HotKeyRecorder::keysymOf(const QKeyEvent &event) const
{
    // The key's own symbol, not what Shift made of it: Shift+1 is "1", not "!".
    if (event.nativeScanCode() != 0) {
        if (const std::optional<quint32> keysym = m_keycodeMap(event.nativeScanCode()))
            return keysym;
    }
    if (event.nativeVirtualKey() != 0)
        return event.nativeVirtualKey();
    // Synthesised events carry no native codes; Qt's codes of Latin-1 keys are their keysyms.
    const int key = event.key();
    if (key >= 0x20 && key <= 0xff)
        return quint32(key);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0xff0d;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0xff09;
    case Qt::Key_Backspace:
        return 0xff08;
    case Qt::Key_Left:
        return 0xff51;
    case Qt::Key_Up:
        return 0xff52;
    case Qt::Key_Right:
        return 0xff53;
    case Qt::Key_Down:
        return 0xff54;
    case Qt::Key_Home:
        return 0xff50;
    case Qt::Key_End:
        return 0xff57;
    case Qt::Key_PageUp:
        return 0xff55;
    case Qt::Key_PageDown:
        return 0xff56;
    case Qt::Key_Delete:
        return 0xffff;
    case Qt::Key_Insert:
        return 0xff63;
    default:
        // F1 to F35 follow each other in both numberings.
        if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
            return 0xffbe + quint32(key - Qt::Key_F1);
        return std::nullopt;
    }
}

bool HotKeyRecorder::handleKeyPress(const QKeyEvent &event)
{
    if (!m_recording)
        return false;
    if (event.key() == Qt::Key_Escape) {
        stop();
        return true;
    }
    // A modifier on its own is the start of a combination, not a key.
    if (isModifierKey(event.key()))
        return false;
    const GlobalHotKey::Modifiers modifiers = GlobalHotKey::modifiersFromQt(event.modifiers());
    if (!modifiers)
        return false;
    const std::optional<quint32> keysym = keysymOf(event);
    const std::optional<quint32> keyCode = keysym ? GlobalHotKey::keyCodeForX11Keysym(*keysym) : std::nullopt;
    if (!keyCode) {
        // Keep recording so that the user can try another key.
        QString name = QKeySequence(event.key()).toString(QKeySequence::NativeText);
        if (name.isEmpty())
            name = event.text().trimmed();
        setRefusedKey(name.isEmpty() ? QStringLiteral("这个键") : name);
        return true;
    }
    setRefusedKey({});
    m_settings.setHotKey(GlobalHotKey(*keyCode, modifiers));
    stop();
    return true;
}

bool HotKeyRecorder::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress)
        return handleKeyPress(static_cast<const QKeyEvent &>(*event));
    if (event->type() == QEvent::ShortcutOverride && m_recording) {
        // Keeps window shortcuts from eating the combination.
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void HotKeyRecorder::setRefusedKey(const QString &keyName)
{
    if (m_refusedKey == keyName)
        return;
    m_refusedKey = keyName;
    Q_EMIT hintTextChanged();
}

} // namespace holdra
