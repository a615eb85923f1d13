#include "App/CommandQueue.h"

#include "Cli/CommandLine.h"

namespace holdra {

CommandQueue::CommandQueue(StashStore &store, ImportJob &job)
    : m_store(store)
    , m_job(job)
{
}

void CommandQueue::handle(const cli::CommandRequest &request, SingleInstance::Reply reply)
{
    m_waiting.append({request, std::move(reply)});
    if (!m_running)
        runNext();
}

void CommandQueue::runNext()
{
    if (m_running || m_waiting.isEmpty())
        return;
    auto [request, reply] = m_waiting.takeFirst();
    m_running = true;
    cli::CommandLine::execute(m_store, m_job, request, [this, reply](const cli::CommandReply &answer) {
        reply(answer);
        m_running = false;
        runNext();
    });
}

} // namespace holdra
