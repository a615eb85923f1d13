#pragma once

#include "App/SingleInstance.h"

#include <QList>

#include <utility>

namespace holdra {

class ImportJob;
class StashStore;

// Carries out the commands other invocations forward, one after another in the
// order they came, so that `holdra add big.iso` and a later `holdra rm …` touch
// the stash in that order although the copy runs off the main thread.
class CommandQueue
{
public:
    CommandQueue(StashStore &store, ImportJob &job);

    void handle(const cli::CommandRequest &request, SingleInstance::Reply reply);

private:
    void runNext();

    StashStore &m_store;
    ImportJob &m_job;
    QList<std::pair<cli::CommandRequest, SingleInstance::Reply>> m_waiting;
    bool m_running = false;
};

} // namespace holdra
