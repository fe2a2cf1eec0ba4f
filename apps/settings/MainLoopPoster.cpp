#include "MainLoopPoster.h"

#include <glib.h>

namespace aerolune {
namespace {

gboolean runOnce(gpointer data) {
    (*static_cast<Geocoder::Task*>(data))();
    return G_SOURCE_REMOVE;
}

void destroy(gpointer data) {
    delete static_cast<Geocoder::Task*>(data);
}

} // namespace

Geocoder::Poster MainLoopPoster::poster() {
    return [](Geocoder::Task task) {
        g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, runOnce, new Geocoder::Task(std::move(task)),
                        destroy);
    };
}

} // namespace aerolune
