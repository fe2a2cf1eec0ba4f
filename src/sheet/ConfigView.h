#pragma once

// The configuration sheet's behaviour, without any widget: a text to look up,
// the place shown and offered for saving, and the last lookup's error. A
// toolkit draws it from resultArea() and isSaveEnabled(), feeds it the typed
// text, runs its actions on the main thread, and redraws when it says it has
// changed.
//
// A lookup runs through the geocoder, whose answer comes back on the main
// thread; a failed lookup never takes away a place already shown (nor its
// name), and its error shows only while there is no place. Answers can
// arrive in any order, so only the answer to the latest lookup changes the
// sheet: an older one would show (and offer to save) a place the field no
// longer asks for. The stored location changes only through Save, and a Save
// that cannot write it keeps the sheet open and shows why instead of ending
// the sheet as if it had saved.
//
// The place is shown by name ("Lisbon, Portugal") with its coordinates: the
// name of the place looked up, or for a stored place the nearest place of
// the gazetteer, which is asked for when the sheet appears. The coordinates
// are the ones Save stores, a zero axis already moved off zero (Prefs).
//
// When nothing is stored, the sheet may start from a proposed place (one the
// program guesses, such as the time zone's), shown and offered for saving
// like a place looked up.

#include "geocode/GeocodeError.h"
#include "geocode/GeocodeResult.h"
#include "geocode/Geocoder.h"
#include "geocode/PlaceCandidate.h"
#include "platform/core/CLLocationCoordinate2D.h"
#include "sheet/SheetWindow.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace aerolune {

class ConfigView : public std::enable_shared_from_this<ConfigView> {
public:
    // What the area under the Lookup button shows: a map centred on a place
    // with its "Location found: " line, or an "Error: " line, or nothing.
    struct ResultArea {
        std::optional<CLLocationCoordinate2D> mapCentre;
        std::vector<std::string> lines;
        bool operator==(const ResultArea&) const = default;
    };
    using ChangeHandler = std::function<void()>;

    // A null window stands for a sheet shown outside any window (a design
    // preview): Save and Cancel then do nothing.
    static std::shared_ptr<ConfigView>
    create(std::shared_ptr<const SheetWindow> window, Geocoder geocoder,
           std::string locationInput = {},
           std::optional<CLLocationCoordinate2D> coordinates = std::nullopt,
           std::optional<GeocodeError> error = std::nullopt);

    const std::shared_ptr<const SheetWindow>& window() const { return window_; }
    const std::string& locationInput() const { return locationInput_; }
    const std::optional<CLLocationCoordinate2D>& coordinates() const { return coordinates_; }
    // The shown place's name, once known.
    const std::optional<std::string>& placeName() const { return placeName_; }
    const std::optional<GeocodeError>& error() const { return error_; }
    // Why the last Save could not store the place, until the next action.
    const std::optional<std::string>& saveError() const { return saveError_; }

    ResultArea resultArea() const;
    bool isSaveEnabled() const { return coordinates_.has_value(); }

    // The text field's binding.
    void setLocationInput(std::string text);
    // Called after every change of what the sheet shows.
    void setChangeHandler(ChangeHandler handler) { changeHandler_ = std::move(handler); }
    // The place to show when nothing is stored; before appear().
    void propose(PlaceCandidate place) { proposal_ = std::move(place); }

    // Each time the sheet is shown: the stored place (or the proposed one),
    // then its name when the gazetteer has one near.
    void appear();
    // From the Lookup button or Return in the field.
    void lookup();
    void save();
    void cancel();

    // "Location found: 48.500000, 2.250000", or with the place's name:
    // "Location found: Lisbon, Portugal (38.716670, -9.133330)"; in the
    // user's language, with its decimal separator.
    static std::string foundText(CLLocationCoordinate2D coordinate,
                                 const std::optional<std::string>& name = std::nullopt);

private:
    ConfigView(std::shared_ptr<const SheetWindow> window, Geocoder geocoder,
               std::string locationInput, std::optional<CLLocationCoordinate2D> coordinates,
               std::optional<GeocodeError> error);

    // The geocoder's answer to the lookup numbered `lookup`.
    void answer(std::uint64_t lookup, GeocodeResult result);
    void show(CLLocationCoordinate2D coordinate, std::optional<std::string> name);
    void changed() const;

    std::shared_ptr<const SheetWindow> window_;
    Geocoder geocoder_;
    std::string locationInput_;
    std::optional<CLLocationCoordinate2D> coordinates_;
    std::optional<std::string> placeName_;
    std::optional<GeocodeError> error_;
    std::optional<std::string> saveError_;
    std::optional<PlaceCandidate> proposal_;
    // Counts lookups and showings of a place; an answer carries the number of
    // its lookup, a name the number of the place it names.
    std::uint64_t lookups_ = 0;
    std::uint64_t shown_ = 0;
    ChangeHandler changeHandler_;
};

} // namespace aerolune
