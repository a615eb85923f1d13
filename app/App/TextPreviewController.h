#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QQmlEngine;
class QQuickWindow;

namespace holdra {

class UserDefaults;

// The window that shows a text item in full. Made on first use and kept, so
// its size and place stay between previews; they also survive restarts in
// the user defaults under "HoldraTextPreview".
class TextPreviewController : public QObject
{
    Q_OBJECT

public:
    static constexpr auto geometryKey = "HoldraTextPreview";

    // `defaults` may be null (nothing remembered across runs); it must outlive the controller.
    explicit TextPreviewController(UserDefaults *defaults, QObject *parent = nullptr);
    ~TextPreviewController() override;

    // Titled "文本预览" when `title` is empty.
    void show(const QString &title, const QString &text);

    QQuickWindow *window() const { return m_window.get(); }

private:
    bool makeWindow();
    void saveGeometry() const;

    UserDefaults *m_defaults;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
};

} // namespace holdra
