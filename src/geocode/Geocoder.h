#pragma once

// Looks up a typed place without blocking the caller: the search runs on a
// thread of its own, and the answer comes back exactly once through the
// poster given at creation, which must run the task it is handed on the
// thread that owns the caller's state (GTK: the Glib main context; the saver:
// its main queue). The poster is called from the search thread.
//
// Requests are independent: none is reused, cancelled or affected by another;
// each handler runs with its own answer, also after the caller has moved on,
// so a handler that touches an object should hold it weakly.

#include "geocode/GeocodeResult.h"
#include "platform/core/CLLocationCoordinate2D.h"

#include <functional>
#include <optional>
#include <string>

namespace aerolune {

class Geocoder {
public:
    using Task = std::function<void()>;
    using Poster = std::function<void(Task)>;
    using Handler =
        std::function<void(std::optional<CLLocationCoordinate2D>, std::optional<GeocodeError>)>;
    using ResultHandler = std::function<void(GeocodeResult)>;
    using NameHandler = std::function<void(std::optional<PlaceCandidate>)>;
    // What a request runs off the caller's thread; PlaceSearch by default.
    using Search = std::function<GeocodeResult(const std::string&)>;
    using Namer = std::function<std::optional<PlaceCandidate>(CLLocationCoordinate2D)>;

    explicit Geocoder(Poster poster);
    Geocoder(Poster poster, Search search, Namer namer = nullptr);

    // The first candidate's coordinate, or the error; the address as typed.
    void geocode(std::string address, Handler handler) const;
    // Every candidate, best first, for a chooser or the command line.
    void lookup(std::string address, ResultHandler handler) const;
    // The place that names a coordinate (PlaceSearch::nearest), or none.
    void name(CLLocationCoordinate2D coordinate, NameHandler handler) const;

private:
    // Runs `work` off the caller's thread, or here when no thread can be had.
    static void runAside(std::function<void()> work);

    Poster poster_;
    Search search_;
    Namer namer_;
};

} // namespace aerolune
