#include "platform/render/TextPainter.h"

#include <pango/pangocairo.h>

// Fontconfig, under Pango, keeps its font caches for the life of the process
// and never frees them; LeakSanitizer would report them at every exit of a
// program that showed text. This hook is only read by sanitizer builds.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

// Nor is the list of suppressions used worth a word: it would follow the
// program's one line of error on stderr.
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}

namespace aerolune {

void TextPainter::paint(cairo_t* cr, const TextLayer& layer, double alpha) {
    const Color& color = layer.foregroundColor();
    if (layer.text().empty() || !(color.alpha() * alpha > 0))
        return;
    const Size size = layer.bounds().size;
    cairo_save(cr);
    // Lines that do not fit stop at the layer's edge: the compositor redraws a
    // layer's bounds when it changes, and glyphs outside would stay behind.
    cairo_rectangle(cr, 0, 0, size.width, size.height);
    cairo_clip(cr);
    // From y up with the origin at the bottom to y down from the top, so that
    // glyphs stand upright.
    cairo_translate(cr, 0, size.height);
    cairo_scale(cr, 1, -1);

    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Sans");
    pango_font_description_set_absolute_size(font, layer.fontSize() * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, layer.text().c_str(), static_cast<int>(layer.text().size()));
    pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_width(layout, static_cast<int>(size.width * PANGO_SCALE));

    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    cairo_move_to(cr, 0, (size.height - height) / 2);
    cairo_set_source_rgba(cr, color.red(), color.green(), color.blue(), color.alpha() * alpha);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_restore(cr);
}

} // namespace aerolune
