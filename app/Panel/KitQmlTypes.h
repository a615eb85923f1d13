#pragma once

#include "Audio/AudioPlaybackController.h"
#include "Audio/RecordingController.h"
#include "Models/DraftModel.h"
#include "Settings/AppSettings.h"
#include "Store/ImportJob.h"
#include "Store/StashStore.h"

#include <QtQml/qqml.h>

// The kit's objects as the views see them. The kit stays free of QML, so its
// types are named to the views' module here; the application makes every one
// of them, and a view only receives them.
namespace holdra::qml {

struct StashStoreForeign
{
    Q_GADGET
    QML_FOREIGN(holdra::StashStore)
    QML_NAMED_ELEMENT(StashStore)
    QML_UNCREATABLE("The application opens the one store.")
};

struct AppSettingsForeign
{
    Q_GADGET
    QML_FOREIGN(holdra::AppSettings)
    QML_NAMED_ELEMENT(AppSettings)
    QML_UNCREATABLE("The application owns the settings.")
};

struct DraftModelForeign
{
    Q_GADGET
    QML_FOREIGN(holdra::DraftModel)
    QML_NAMED_ELEMENT(DraftModel)
    QML_UNCREATABLE("The controller owns the draft.")
};

struct AudioPlaybackControllerForeign
{
    Q_GADGET
    QML_FOREIGN(holdra::AudioPlaybackController)
    QML_NAMED_ELEMENT(AudioPlaybackController)
    QML_UNCREATABLE("The controller owns the player.")
};

struct RecordingControllerForeign
{
    Q_GADGET
    QML_FOREIGN(holdra::RecordingController)
    QML_NAMED_ELEMENT(RecordingController)
    QML_UNCREATABLE("The application owns the recorder.")
};

struct ImportJobForeign
{
    Q_GADGET
    QML_FOREIGN(holdra::ImportJob)
    QML_NAMED_ELEMENT(ImportJob)
    QML_UNCREATABLE("The application owns the copies under way.")
};

} // namespace holdra::qml
