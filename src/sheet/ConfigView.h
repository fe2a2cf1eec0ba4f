#pragma once

// The configuration sheet's behaviour, without any widget: a text to look up,
// the place shown and offered for saving, and the last lookup's error. A
// toolkit draws it from resultArea() and isSaveEnabled(), feeds it the typed
// text, runs its actions on the main thread, and redraws when it says it has
// changed.
//
// A lookup runs through the geocoder, whose answer comes back on the main
// thread; a failed lookup never takes away a place already shown, and its
// error shows only while there is no place. Answers can arrive in any order,
// so only the answer to the latest lookup changes the sheet: an older one
// would show (and offer to save) a place the field no longer asks for. The stored location changes
// only through Save, and a Save that cannot write it keeps the sheet open and shows why instead of
// ending the sheet as if it had saved.

#include "geocode/GeocodeError.h"
#include "geocode/Geocoder.h"
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
    const std::optional<GeocodeError>& error() const { return error_; }
    // Why the last Save could not store the place, until the next action.
    const std::optional<std::string>& saveError() const { return saveError_; }

    ResultArea resultArea() const;
    bool isSaveEnabled() const { return coordinates_.has_value(); }

    // The text field's binding.
    void setLocationInput(std::string text);
    // Called after every change of what the sheet shows.
    void setChangeHandler(ChangeHandler handler) { changeHandler_ = std::move(handler); }

    // Each time the sheet is shown: the stored place, or none.
    void appear();
    // From the Lookup button or Return in the field.
    void lookup();
    void save();
    void cancel();

    // "Location found: 48.500000, 2.250000".
    static std::string foundText(CLLocationCoordinate2D coordinate);

private:
    ConfigView(std::shared_ptr<const SheetWindow> window, Geocoder geocoder,
               std::string locationInput, std::optional<CLLocationCoordinate2D> coordinates,
               std::optional<GeocodeError> error);

    // The geocoder's answer to the lookup numbered `lookup`.
    void answer(std::uint64_t lookup, std::optional<CLLocationCoordinate2D> coordinate,
                std::optional<GeocodeError> error);
    void changed() const;

    std::shared_ptr<const SheetWindow> window_;
    Geocoder geocoder_;
    std::string locationInput_;
    std::optional<CLLocationCoordinate2D> coordinates_;
    std::optional<GeocodeError> error_;
    std::optional<std::string> saveError_;
    // Counts lookups; an answer carries its lookup's number.
    std::uint64_t lookups_ = 0;
    ChangeHandler changeHandler_;
};

} // namespace aerolune
