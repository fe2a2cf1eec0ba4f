#include "sheet/ConfigureSheet.h"

#include "geocode/TimeZonePlace.h"

namespace aerolune {

ConfigureSheet ConfigureSheet::create(Geocoder::Poster mainThread) {
    ConfigureSheet sheet;
    sheet.window = std::make_shared<SheetWindow>();
    sheet.contentView = ConfigView::create(sheet.window, Geocoder(std::move(mainThread)));
    // With nothing stored, the time zone says roughly where the machine is:
    // its principal city is offered, and stored only by a Save.
    if (const auto zone = TimeZonePlace::find(TimeZonePlace::system())) {
        PlaceCandidate city;
        city.name = zone->cityName();
        city.coordinate = zone->coordinate();
        sheet.contentView->propose(std::move(city));
    }
    return sheet;
}

} // namespace aerolune
