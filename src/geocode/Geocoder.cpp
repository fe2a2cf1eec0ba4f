#include "geocode/Geocoder.h"

#include "geocode/PlaceSearch.h"

#include <system_error>
#include <thread>

namespace aerolune {

Geocoder::Geocoder(Poster poster)
    : Geocoder(std::move(poster),
               [](const std::string& text) { return PlaceSearch::search(text); }) {}

Geocoder::Geocoder(Poster poster, Search search, Namer namer)
    : poster_(std::move(poster)), search_(std::move(search)), namer_(std::move(namer)) {
    if (!namer_)
        namer_ = [](CLLocationCoordinate2D coordinate) { return PlaceSearch::nearest(coordinate); };
}

void Geocoder::geocode(std::string address, Handler handler) const {
    lookup(std::move(address), [handler = std::move(handler)](GeocodeResult result) {
        if (!result)
            handler(std::nullopt, result.error());
        else if (result->empty())
            handler(std::nullopt, std::nullopt);
        else
            handler(result->front().coordinate, std::nullopt);
    });
}

void Geocoder::lookup(std::string address, ResultHandler handler) const {
    runAside([address = std::move(address), handler = std::move(handler), poster = poster_,
              search = search_]() mutable {
        auto result = search(address);
        poster([handler = std::move(handler), result = std::move(result)]() mutable {
            handler(std::move(result));
        });
    });
}

void Geocoder::name(CLLocationCoordinate2D coordinate, NameHandler handler) const {
    runAside(
        [coordinate, handler = std::move(handler), poster = poster_, namer = namer_]() mutable {
            auto place = namer(coordinate);
            poster([handler = std::move(handler), place = std::move(place)]() mutable {
                handler(std::move(place));
            });
        });
}

void Geocoder::runAside(std::function<void()> work) {
    try {
        std::thread(work).detach();
    } catch (const std::system_error&) {
        // No thread to be had: search here, but still answer through the
        // poster, so the handler never runs inside this call.
        work();
    }
}

} // namespace aerolune
