#pragma once

#include <QStringList>

namespace holdra::test {

// Collects the Qt log messages written while it exists (the lines Holdra sends
// to stderr), instead of printing them.
class MessageLog
{
public:
    MessageLog()
        : m_previous(qInstallMessageHandler(&MessageLog::handle))
    {
        current() = this;
    }
    ~MessageLog()
    {
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }
    MessageLog(const MessageLog &) = delete;
    MessageLog &operator=(const MessageLog &) = delete;

    const QStringList &lines() const { return m_lines; }
    qsizetype count(const QString &fragment) const { return m_lines.filter(fragment).size(); }

private:
    static MessageLog *&current()
    {
        static MessageLog *log = nullptr;
        return log;
    }
    static void handle(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        if (current())
            current()->m_lines.append(message);
    }

    QtMessageHandler m_previous;
    QStringList m_lines;
};

} // namespace holdra::test
