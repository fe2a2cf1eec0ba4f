#include "sheet/ConfigView.h"

#include "store/Prefs.h"

#include <charconv>
#include <iterator>

namespace aerolune {
namespace {

// Always with a decimal point, whatever locale a toolkit has set.
std::string sixDecimals(double value) {
    char text[64];
    const auto [end, error] =
        std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed, 6);
    return error == std::errc() ? std::string(text, end) : std::string("?");
}

} // namespace

std::shared_ptr<ConfigView> ConfigView::create(std::shared_ptr<const SheetWindow> window,
                                               Geocoder geocoder, std::string locationInput,
                                               std::optional<CLLocationCoordinate2D> coordinates,
                                               std::optional<GeocodeError> error) {
    return std::shared_ptr<ConfigView>(new ConfigView(std::move(window), std::move(geocoder),
                                                      std::move(locationInput), coordinates,
                                                      std::move(error)));
}

ConfigView::ConfigView(std::shared_ptr<const SheetWindow> window, Geocoder geocoder,
                       std::string locationInput, std::optional<CLLocationCoordinate2D> coordinates,
                       std::optional<GeocodeError> error)
    : window_(std::move(window)), geocoder_(std::move(geocoder)),
      locationInput_(std::move(locationInput)), coordinates_(coordinates),
      error_(std::move(error)) {}

std::string ConfigView::foundText(CLLocationCoordinate2D coordinate) {
    return "Location found: " + sixDecimals(coordinate.latitude) + ", " +
           sixDecimals(coordinate.longitude);
}

ConfigView::ResultArea ConfigView::resultArea() const {
    ResultArea area;
    if (coordinates_) {
        area.mapCentre = coordinates_;
        area.lines.push_back(foundText(*coordinates_));
        if (saveError_)
            area.lines.push_back("Error: " + *saveError_);
    } else if (error_) {
        area.lines.push_back("Error: " + error_->errorDescription());
    }
    return area;
}

void ConfigView::setLocationInput(std::string text) {
    locationInput_ = std::move(text);
}

void ConfigView::appear() {
    coordinates_ = Prefs::coordinates();
    changed();
}

void ConfigView::lookup() {
    // The answer may come after the sheet is gone; it then has nothing to show.
    const auto number = ++lookups_;
    geocoder_.geocode(locationInput_,
                      [weak = weak_from_this(), number](auto coordinate, auto error) {
                          if (const auto self = weak.lock())
                              self->answer(number, coordinate, std::move(error));
                      });
}

void ConfigView::answer(std::uint64_t lookup, std::optional<CLLocationCoordinate2D> coordinate,
                        std::optional<GeocodeError> error) {
    if (lookup != lookups_)
        return;
    if (coordinate)
        coordinates_ = coordinate;
    error_ = std::move(error);
    saveError_.reset();
    changed();
}

void ConfigView::save() {
    if (!window_ || !coordinates_)
        return;
    if (auto saved = Prefs::setCoordinates(*coordinates_); !saved) {
        saveError_ = saved.error().message;
        changed();
        return;
    }
    window_->endSheet();
}

void ConfigView::cancel() {
    if (!window_)
        return;
    window_->endSheet();
}

void ConfigView::changed() const {
    if (const auto handler = changeHandler_)
        handler();
}

} // namespace aerolune
