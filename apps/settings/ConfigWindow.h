#pragma once

// The settings window: the configure sheet's description made into a GTK
// window, and thin widgets over its ConfigView. The widgets only pass on
// what the person does (the typed text, Return, the buttons) and redraw from
// the model when it says it has changed; everything the sheet decides is in
// the model.
//
// The window opens with the focus in no widget while the field is empty, so
// that GTK shows the field's hint (it hides it in a focused field); the first
// key that types text takes the focus to the field and types there, as if it
// had been there all along.
//
// The window opens where it was last closed, with the size it had, when that
// frame is still on a screen, and centred at its content size otherwise.
// Ending the sheet (Save, Cancel) or closing the window remembers the frame
// and hides the window, which ends the program's main loop.

#include "MapArea.h"
#include "sheet/ConfigureSheet.h"

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>
#include <ostream>
#include <string>

namespace aerolune {

class ConfigWindow : public Gtk::Window {
public:
    // With `report`, says on it what the window shows as that changes: one
    // "ready", "labels: ", "focus: ", "state: " or "layout: " line each, for
    // tests that drive the window from outside.
    ConfigWindow(ConfigureSheet sheet, std::ostream* report);

    const ConfigureSheet& sheet() const { return sheet_; }

protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& context) override;
    bool on_delete_event(GdkEventAny* event) override;
    bool on_key_press_event(GdkEventKey* event) override;
    void on_show() override;
    void on_set_focus(Gtk::Widget* focus) override;

private:
    void build();
    void connect();
    void placeWindow();
    void rememberFrame();
    void endSheet();
    void refresh();
    void say(const std::string& line);
    std::string layout();
    std::string labels() const;

    ConfigureSheet sheet_;
    std::ostream* report_;
    std::string lastLayout_;
    bool ready_ = false;

    Gtk::Box column_{Gtk::ORIENTATION_VERTICAL};
    Gtk::Label heading_;
    Gtk::Entry field_;
    Gtk::Button lookupButton_;
    Gtk::Box resultArea_{Gtk::ORIENTATION_VERTICAL};
    MapArea map_;
    Gtk::Label resultText_;
    Gtk::Box buttonRow_{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::Button cancelButton_;
    Gtk::Button saveButton_;
};

} // namespace aerolune
