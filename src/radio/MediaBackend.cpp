#include "radio/MediaBackend.h"

#ifdef QUORLIN_HAVE_GSTREAMER
#include <gst/gst.h>

namespace {

void LoadAll(GList* features)
{
    for (GList* f = features; f; f = f->next)
        if (GstPluginFeature* loaded = gst_plugin_feature_load(GST_PLUGIN_FEATURE(f->data)))
            gst_object_unref(loaded);
    gst_plugin_feature_list_free(features);
}

// Loads the plugins a first player loads: the device providers behind Qt's device list,
// the audio sinks autoaudiosink tries, and the elements of a playing pipeline. Loading a
// plugin opens its library, which is what keeps the first player slow on a warm registry.
void LoadPlayerPlugins()
{
    LoadAll(gst_device_provider_factory_list_get_device_providers(GST_RANK_NONE));
    LoadAll(gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_NONE));
    GList* elements = nullptr;
    for (const char* name : {"uridecodebin", "playbin", "audioconvert", "audioresample", "volume",
                             "autoaudiosink", "souphttpsrc", "typefind", "videoconvert"})
        if (GstElementFactory* factory = gst_element_factory_find(name))
            elements = g_list_prepend(elements, factory);
    LoadAll(elements);
}

} // namespace
#endif

MediaBackend::MediaBackend()
{
    instance_ = this;
#ifndef QUORLIN_HAVE_GSTREAMER
    up_ = true;
#endif
}

void MediaBackend::Warm()
{
#ifdef QUORLIN_HAVE_GSTREAMER
    MediaBackend* self = instance_;
    if (!self || self->thread_.joinable())
        return;
    self->thread_ = std::thread([self] {
        // Loads or rebuilds the plugin registry; Qt's own call later finds it done.
        if (gst_init_check(nullptr, nullptr, nullptr))
            LoadPlayerPlugins();
        QMetaObject::invokeMethod(
            self,
            [self] {
                self->up_ = true;
                emit self->Up();
            },
            Qt::QueuedConnection);
    });
#endif
}

MediaBackend::~MediaBackend()
{
    if (thread_.joinable())
        thread_.join();
    instance_ = nullptr;
}

bool MediaBackend::Ready()
{
    return !instance_ || instance_->up_;
}

void MediaBackend::WhenReady(QObject* context, std::function<void()> then)
{
    if (Ready()) {
        then();
        return;
    }
    Warm();
    connect(instance_, &MediaBackend::Up, context, std::move(then), Qt::SingleShotConnection);
}
