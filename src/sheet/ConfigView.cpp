#include "sheet/ConfigView.h"

#include "platform/core/Localization.h"
#include "store/Prefs.h"

#include <charconv>
#include <iterator>

namespace aerolune {
namespace {

// Six decimals with the decimal separator of the user's language, whatever
// locale a toolkit has set for the C library's numbers.
std::string sixDecimals(double value) {
    char text[64];
    const auto [end, error] =
        std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed, 6);
    std::string written = error == std::errc() ? std::string(text, end) : std::string("?");
    // TRANSLATORS: the character between the whole degrees and the decimals
    // of a coordinate shown in the settings window (48.500000).
    const auto separator = Localization::translateIn("decimal separator", ".");
    if (const auto point = written.find('.'); point != std::string::npos)
        written.replace(point, 1, separator);
    return written;
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

std::string ConfigView::foundText(CLLocationCoordinate2D coordinate,
                                  const std::optional<std::string>& name) {
    const auto latitude = sixDecimals(coordinate.latitude);
    const auto longitude = sixDecimals(coordinate.longitude);
    if (name)
        // TRANSLATORS: a place's name, then its latitude and longitude.
        return Localization::format(tr("Location found: %1$s (%2$s, %3$s)"),
                                    {*name, latitude, longitude});
    // TRANSLATORS: a latitude and a longitude.
    return Localization::format(tr("Location found: %1$s, %2$s"), {latitude, longitude});
}

ConfigView::ResultArea ConfigView::resultArea() const {
    ResultArea area;
    if (coordinates_) {
        area.mapCentre = coordinates_;
        area.lines.push_back(foundText(*coordinates_, placeName_));
        if (saveError_)
            area.lines.push_back(Localization::format(tr("Error: %s"), {*saveError_}));
    } else if (error_) {
        area.lines.push_back(Localization::format(tr("Error: %s"), {error_->errorDescription()}));
    }
    return area;
}

void ConfigView::setLocationInput(std::string text) {
    locationInput_ = std::move(text);
}

void ConfigView::appear() {
    coordinates_.reset();
    placeName_.reset();
    if (const auto stored = Prefs::coordinates())
        show(*stored, std::nullopt);
    else if (proposal_) {
        show(Prefs::storable(proposal_->coordinate), proposal_->describe());
        // Its name in the field, where a Lookup would find it again.
        if (locationInput_.empty())
            locationInput_ = proposal_->name;
    }
    changed();
    if (!coordinates_ || placeName_)
        return;
    // Named later: the gazetteer may take a moment to load. The name belongs
    // to this place only, not to one looked up in the meantime.
    geocoder_.name(*coordinates_, [weak = weak_from_this(), number = shown_](auto place) {
        const auto self = weak.lock();
        if (!self || !place || number != self->shown_)
            return;
        self->placeName_ = place->describe();
        self->changed();
    });
}

void ConfigView::show(CLLocationCoordinate2D coordinate, std::optional<std::string> name) {
    ++shown_;
    coordinates_ = coordinate;
    placeName_ = std::move(name);
}

void ConfigView::lookup() {
    // The answer may come after the sheet is gone; it then has nothing to show.
    const auto number = ++lookups_;
    geocoder_.lookup(locationInput_, [weak = weak_from_this(), number](GeocodeResult result) {
        if (const auto self = weak.lock())
            self->answer(number, std::move(result));
    });
}

void ConfigView::answer(std::uint64_t lookup, GeocodeResult result) {
    if (lookup != lookups_)
        return;
    if (!result) {
        error_ = result.error();
    } else {
        error_.reset();
        if (!result->empty())
            show(Prefs::storable(result->front().coordinate), result->front().describe());
    }
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
