#pragma once

// A background kept in GSettings: GNOME (and Ubuntu, Budgie, Pantheon, Unity,
// which share its schema) in org.gnome.desktop.background, picture-uri and
// picture-uri-dark, which GNOME's lock screen shows too; Cinnamon in
// org.cinnamon.desktop.background, picture-uri; MATE in org.mate.background,
// picture-filename. Each gets picture-options "zoom", so that the picture
// fills the screen.
//
// Written through GIO to whatever backend the session uses: dconf, which
// needs the session's D-Bus (checked first, since dconf would otherwise drop
// the change with a mere warning), or a key file (GSETTINGS_BACKEND=keyfile).

#include "desktop/DesktopBackground.h"

#include <vector>

namespace aerolune {

class GSettingsBackground : public DesktopBackground {
public:
    static std::unique_ptr<GSettingsBackground> gnome();
    static std::unique_ptr<GSettingsBackground> cinnamon();
    static std::unique_ptr<GSettingsBackground> mate();

    std::string name() const override { return name_; }
    std::string id() const override { return id_; }
    Result<void> set(const std::filesystem::path& picture) override;
    Result<Setting> current() override;
    Result<void> restore(const Setting& setting) override;

private:
    enum class Form { uri, path };
    struct Key {
        const char* name;
        Form form;
    };

    GSettingsBackground(std::string id, std::string name, const char* schema,
                        std::vector<Key> pictureKeys)
        : id_(std::move(id)), name_(std::move(name)), schema_(schema),
          pictureKeys_(std::move(pictureKeys)) {}

    // The keys to write with their values; the missing ones left out.
    Result<void> write(const Setting& values);
    Error notInstalled() const;
    // Each picture key and picture-options, as the schema of this machine has them.
    std::vector<std::string> keys() const;

    std::string id_;
    std::string name_;
    const char* schema_;
    std::vector<Key> pictureKeys_;
};

} // namespace aerolune
