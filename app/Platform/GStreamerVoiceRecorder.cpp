#include "Platform/GStreamerVoiceRecorder.h"

#include "Support/KitLogging.h"

#include <QFile>
#include <QMediaDevices>

#include <gst/gst.h>

#include <utility>

namespace holdra {

namespace {

constexpr std::chrono::milliseconds busPollInterval{50};

// The first AAC encoder at hand: libav's, then VisualOn's.
const char *aacEncoder()
{
    for (const char *name : {"avenc_aac", "voaacenc"}) {
        if (GstElementFactory *factory = gst_element_factory_find(name)) {
            gst_object_unref(factory);
            return name;
        }
    }
    return nullptr;
}

QString messageText(GstMessage *message)
{
    GError *error = nullptr;
    gchar *debug = nullptr;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
        gst_message_parse_error(message, &error, &debug);
    else
        gst_message_parse_warning(message, &error, &debug);
    const QString text = error ? QString::fromUtf8(error->message) : QString();
    if (error)
        g_error_free(error);
    g_free(debug);
    return text;
}

} // namespace

std::unique_ptr<VoiceRecorder> GStreamerVoiceRecorder::make(const QString &filePath, std::function<void()> interrupted)
{
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) {
        qCWarning(lcAudio) << "no audio input device";
        return nullptr;
    }
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    const char *encoder = aacEncoder();
    if (!encoder) {
        qCWarning(lcAudio) << "no AAC encoder (gstreamer1.0-libav) is installed";
        return nullptr;
    }
    // aacparse hands the muxer the stream's codec data; mp4mux writes the
    // index once end of stream reaches it, which makes the file playable.
    const QByteArray description =
        QByteArrayLiteral("autoaudiosrc name=source ! queue ! audioconvert ! audioresample ! ")
        + "audio/x-raw,rate=" + QByteArray::number(sampleRate) + ",channels=" + QByteArray::number(channelCount) + " ! "
        + encoder + " name=encoder ! aacparse ! mp4mux ! filesink name=sink";
    GError *error = nullptr;
    GstElement *pipeline = gst_parse_launch(description.constData(), &error);
    if (error) {
        qCWarning(lcAudio) << "the recording pipeline cannot be made:" << error->message;
        g_error_free(error);
        if (pipeline)
            gst_object_unref(pipeline);
        return nullptr;
    }
    GstElement *sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    g_object_set(sink, "location", QFile::encodeName(filePath).constData(), nullptr);
    gst_object_unref(sink);
    GstElement *encoderElement = gst_bin_get_by_name(GST_BIN(pipeline), "encoder");
    g_object_set(encoderElement, "bitrate", bitRate, nullptr);
    gst_object_unref(encoderElement);
    return std::unique_ptr<VoiceRecorder>(new GStreamerVoiceRecorder(pipeline, device, std::move(interrupted)));
}

GStreamerVoiceRecorder::GStreamerVoiceRecorder(GstElement *pipeline, QAudioDevice device,
                                               std::function<void()> interrupted)
    : m_pipeline(pipeline)
    , m_device(std::move(device))
    , m_interrupted(std::move(interrupted))
{
    // The bus is read from Qt's event loop, whichever dispatcher it runs on.
    m_busPoll.setInterval(busPollInterval);
    connect(&m_busPoll, &QTimer::timeout, this, &GStreamerVoiceRecorder::pollBus);
    m_finishTimeout.setSingleShot(true);
    m_finishTimeout.setInterval(finishTimeout);
    connect(&m_finishTimeout, &QTimer::timeout, this, [this] {
        qCWarning(lcAudio) << "the recording was not finished in time; keeping what was written";
        finish();
    });
}

GStreamerVoiceRecorder::~GStreamerVoiceRecorder()
{
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    gst_object_unref(m_pipeline);
}

bool GStreamerVoiceRecorder::record()
{
    if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        pollBus();
        qCWarning(lcAudio) << "recording did not start";
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        return false;
    }
    // A live source reaches playing at once once the device is open; this
    // waits for that, not for any event of the application.
    GstState state = GST_STATE_NULL;
    gst_element_get_state(m_pipeline, &state, nullptr, 2 * GST_SECOND);
    if (state != GST_STATE_PLAYING) {
        qCWarning(lcAudio) << "the microphone did not open";
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        return false;
    }
    m_busPoll.start();
    return true;
}

double GStreamerVoiceRecorder::currentTime() const
{
    // Once the source is gone the position can no longer be asked; what was
    // recorded until then still counts.
    gint64 position = 0;
    if (gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &position) && position >= 0)
        m_lastPosition = double(position) / GST_SECOND;
    return m_lastPosition;
}

void GStreamerVoiceRecorder::stop(std::function<void()> finished)
{
    currentTime();
    m_finished = std::move(finished);
    GstState state = GST_STATE_NULL;
    gst_element_get_state(m_pipeline, &state, nullptr, 0);
    if (state != GST_STATE_PLAYING) {
        finish();
        return;
    }
    m_finishTimeout.start();
    gst_element_send_event(m_pipeline, gst_event_new_eos());
}

void GStreamerVoiceRecorder::pollBus()
{
    GstBus *bus = gst_element_get_bus(m_pipeline);
    while (GstMessage *message =
               gst_bus_pop_filtered(bus, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR | GST_MESSAGE_WARNING))) {
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            finish();
            break;
        case GST_MESSAGE_ERROR:
            qCWarning(lcAudio) << "recording failed:" << messageText(message);
            if (m_finished)
                finish();
            else
                reportInterruption();
            break;
        default:
            qCInfo(lcAudio) << messageText(message);
            break;
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    // The sound server moves or drops the stream of a source that goes away
    // without telling the pipeline, and Qt's change signal does not reliably
    // reach every watcher, so each poll looks at the device list.
    checkDeviceStillThere();
}

void GStreamerVoiceRecorder::checkDeviceStillThere()
{
    if (!m_finished && !m_interruptionReported && !QMediaDevices::audioInputs().contains(m_device)) {
        qCWarning(lcAudio) << "the microphone went away";
        reportInterruption();
    }
}

void GStreamerVoiceRecorder::finish()
{
    m_finishTimeout.stop();
    m_busPoll.stop();
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    if (auto finished = std::exchange(m_finished, nullptr))
        finished();
}

void GStreamerVoiceRecorder::reportInterruption()
{
    if (m_interruptionReported || !m_interrupted)
        return;
    m_interruptionReported = true;
    // Never from inside a call of the controller.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_interrupted)
                m_interrupted();
        },
        Qt::QueuedConnection);
}

} // namespace holdra
