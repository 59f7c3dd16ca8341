#pragma once
// The app's two information sheets: About (the version, the licences and
// where the app keeps its files) and the third-party notices, shown inside
// the app when no other application can open them.

#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include <QString>
#include <QUrl>

#include "app/views/sheet.h"

namespace knockbox {

class ConfigurationModel;

struct AboutFacts {
    QString version;
    std::vector<std::pair<QString, QString>> files;  // what is kept, and where

    // The files of this model and of the running program.
    static AboutFacts of(const ConfigurationModel& model);
};

// A sheet of a heading, its content and Done; deleted when closed.
class InfoSheet : public Sheet {
    Q_OBJECT

public:
    InfoSheet(const QString& title, QWidget* content, QWidget* parent);
};

// Opens the About sheet.
InfoSheet* showAbout(const AboutFacts& facts, QWidget* parent);

// Opens the notices file with the system's default application; when there
// is none that can, shows the notices in a sheet and returns it. Nothing when
// there is no notices file.
InfoSheet* showLicenses(const std::optional<std::filesystem::path>& notices, QWidget* parent,
                        const std::function<bool(const QUrl&)>& open);

}  // namespace knockbox
