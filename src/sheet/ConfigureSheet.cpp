#include "sheet/ConfigureSheet.h"

namespace aerolune {

ConfigureSheet ConfigureSheet::create(Geocoder::Poster mainThread) {
    ConfigureSheet sheet;
    sheet.window = std::make_shared<SheetWindow>();
    sheet.contentView = ConfigView::create(sheet.window, Geocoder(std::move(mainThread)));
    return sheet;
}

} // namespace aerolune
