#include "ConfigWindow.h"

#include "platform/core/Localization.h"
#include "sheet/FrameAutosave.h"

#include <algorithm>
#include <gdk/gdkx.h>
#include <gdkmm/display.h>
#include <gdkmm/monitor.h>
#include <glibmm/main.h>
#include <glibmm/markup.h>

namespace aerolune {
namespace {

// Stand-ins for the declarative toolkit's defaults.
constexpr int kSpacing = 8;
constexpr int kPadding = 8;
constexpr int kControlWidth = 200;
constexpr int kSideMargin = 100;
constexpr int kTopMargin = 50;
// A remembered frame counts as on a screen when this much of it shows.
constexpr int kVisibleEnough = 50;

void pad(Gtk::Widget& widget) {
    widget.set_margin_start(kPadding);
    widget.set_margin_end(kPadding);
    widget.set_margin_top(kPadding);
    widget.set_margin_bottom(kPadding);
}

bool showsOnAMonitor(const FrameAutosave::Frame& frame) {
    const auto display = Gdk::Display::get_default();
    if (!display)
        return false;
    for (int i = 0; i < display->get_n_monitors(); ++i) {
        Gdk::Rectangle area;
        display->get_monitor(i)->get_geometry(area);
        const int width = std::min(frame.x + frame.width, area.get_x() + area.get_width()) -
                          std::max(frame.x, area.get_x());
        const int height = std::min(frame.y + frame.height, area.get_y() + area.get_height()) -
                           std::max(frame.y, area.get_y());
        if (width >= kVisibleEnough && height >= kVisibleEnough)
            return true;
    }
    return false;
}

std::string joined(const std::vector<std::string>& lines, std::string_view separator) {
    std::string text;
    for (const auto& line : lines)
        text += (text.empty() ? "" : std::string(separator)) + line;
    return text;
}

} // namespace

ConfigWindow::ConfigWindow(ConfigureSheet sheet, std::ostream* report)
    : sheet_(std::move(sheet)), report_(report) {
    set_title("Aerolune");
    set_resizable(sheet_.styleMask & ConfigureSheet::resizable);
    set_deletable(sheet_.styleMask & ConfigureSheet::closable);
    build();
    connect();
    placeWindow();
    show_all_children();
    sheet_.contentView->appear();
    // A place proposed when none is stored comes with its name.
    field_.set_text(sheet_.contentView->locationInput());
}

void ConfigWindow::build() {
    heading_.set_markup("<span size=\"xx-large\">" +
                        Glib::Markup::escape_text(tr("Enter location")) + "</span>");
    field_.set_placeholder_text(tr("Location (city or zip)"));
    lookupButton_.set_label(tr("Lookup"));
    cancelButton_.set_label(tr("Cancel"));
    saveButton_.set_label(tr("Save"));
    field_.set_width_chars(1);
    field_.set_size_request(kControlWidth, -1);
    pad(field_);
    cancelButton_.set_size_request(kControlWidth, -1);
    saveButton_.set_size_request(kControlWidth, -1);
    pad(cancelButton_);
    pad(saveButton_);

    resultArea_.set_spacing(kSpacing);
    resultArea_.pack_start(map_, Gtk::PACK_SHRINK);
    resultArea_.pack_start(resultText_, Gtk::PACK_SHRINK);

    buttonRow_.set_spacing(kSpacing);
    buttonRow_.set_halign(Gtk::ALIGN_CENTER);
    buttonRow_.pack_start(cancelButton_, Gtk::PACK_SHRINK);
    buttonRow_.pack_start(saveButton_, Gtk::PACK_SHRINK);

    column_.set_spacing(kSpacing);
    column_.set_halign(Gtk::ALIGN_CENTER);
    column_.set_valign(Gtk::ALIGN_CENTER);
    column_.set_margin_start(kSideMargin);
    column_.set_margin_end(kSideMargin);
    column_.set_margin_top(kTopMargin);
    column_.set_margin_bottom(kTopMargin);
    for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{
             &heading_, &field_, &lookupButton_, &resultArea_, &buttonRow_}) {
        child->set_halign(Gtk::ALIGN_CENTER);
        column_.pack_start(*child, Gtk::PACK_SHRINK);
    }
    add(column_);
}

void ConfigWindow::connect() {
    ConfigView& view = *sheet_.contentView;
    field_.signal_changed().connect([this, &view] { view.setLocationInput(field_.get_text()); });
    field_.signal_activate().connect([&view] { view.lookup(); });
    lookupButton_.signal_clicked().connect([&view] { view.lookup(); });
    cancelButton_.signal_clicked().connect([&view] { view.cancel(); });
    saveButton_.signal_clicked().connect([&view] { view.save(); });
    // The window owns the sheet, so neither handler can outlive it.
    view.setChangeHandler([this] { refresh(); });
    sheet_.window->setEndSheetHandler([this] { endSheet(); });
}

void ConfigWindow::placeWindow() {
    const auto frame = FrameAutosave::frame(sheet_.frameAutosaveName);
    if (frame && showsOnAMonitor(*frame)) {
        set_default_size(frame->width, frame->height);
        move(frame->x, frame->y);
        return;
    }
    set_default_size(int(sheet_.contentRect.width), int(sheet_.contentRect.height));
    if (sheet_.centred)
        set_position(Gtk::WIN_POS_CENTER);
}

void ConfigWindow::rememberFrame() {
    FrameAutosave::Frame frame{};
    get_position(frame.x, frame.y);
    get_size(frame.width, frame.height);
    if (const auto saved = FrameAutosave::setFrame(sheet_.frameAutosaveName, frame); !saved)
        say("frame not remembered: " + saved.error().message);
}

void ConfigWindow::endSheet() {
    rememberFrame();
    hide();
}

void ConfigWindow::on_show() {
    Gtk::Window::on_show();
    // GTK has just put the focus in the first field it found; an empty field
    // would then hide its hint.
    if (field_.get_text().empty())
        unset_focus();
    say("labels: " + labels());
}

void ConfigWindow::on_set_focus(Gtk::Widget* focus) {
    Gtk::Window::on_set_focus(focus);
    say(std::string("focus: ") + (focus == &field_ ? "field" : focus ? "other" : "none"));
}

bool ConfigWindow::on_key_press_event(GdkEventKey* event) {
    const bool command = event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK);
    if (!get_focus() && !command && gdk_keyval_to_unicode(event->keyval) != 0)
        field_.grab_focus_without_selecting();
    return Gtk::Window::on_key_press_event(event);
}

bool ConfigWindow::on_delete_event(GdkEventAny* event) {
    rememberFrame();
    return Gtk::Window::on_delete_event(event);
}

void ConfigWindow::refresh() {
    const auto& view = *sheet_.contentView;
    const auto area = view.resultArea();
    map_.setCentre(area.mapCentre);
    map_.set_visible(area.mapCentre.has_value());
    resultText_.set_text(joined(area.lines, "\n"));
    resultText_.set_visible(!area.lines.empty());
    saveButton_.set_sensitive(view.isSaveEnabled());
    say("state: save=" + std::string(view.isSaveEnabled() ? "enabled" : "disabled") +
        " map=" + (area.mapCentre ? "shown" : "hidden") + " text=" + joined(area.lines, " | "));
}

bool ConfigWindow::on_draw(const Cairo::RefPtr<Cairo::Context>& context) {
    const bool drawn = Gtk::Window::on_draw(context);
    if (!report_)
        return drawn;
    if (!ready_) {
        ready_ = true;
        say("ready window=" + std::to_string(GDK_WINDOW_XID(get_window()->gobj())));
    }
    if (auto now = layout(); now != lastLayout_) {
        lastLayout_ = now;
        say("layout: " + now);
    }
    return drawn;
}

// Where the parts a test needs are, in screen pixels: "name x y width height".
std::string ConfigWindow::layout() {
    int originX = 0, originY = 0;
    get_window()->get_origin(originX, originY);
    std::string text;
    const auto place = [&](const char* name, Gtk::Widget& widget) {
        if (!widget.is_visible())
            return;
        int x = 0, y = 0;
        widget.translate_coordinates(*this, 0, 0, x, y);
        text += std::string(text.empty() ? "" : " ") + name + " " + std::to_string(originX + x) +
                " " + std::to_string(originY + y) + " " +
                std::to_string(widget.get_allocated_width()) + " " +
                std::to_string(widget.get_allocated_height());
    };
    place("window", *this);
    place("field", field_);
    place("map", map_);
    place("cancel", cancelButton_);
    place("save", saveButton_);
    return text;
}

// What the window's words read, as GTK shows them: "title=… heading=…".
std::string ConfigWindow::labels() const {
    return "title=" + std::string(get_title()) + " heading=" + heading_.get_text() +
           " placeholder=" + field_.get_placeholder_text() +
           " lookup=" + lookupButton_.get_label() + " cancel=" + cancelButton_.get_label() +
           " save=" + saveButton_.get_label();
}

void ConfigWindow::say(const std::string& line) {
    if (report_)
        *report_ << line << std::endl;
}

} // namespace aerolune
