#pragma once
// The app's two information sheets: About (the version, the licences and
// where the app keeps its files) and the third-party notices, shown inside
// the app when no other application can open them.

#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include <QDialog>
#include <QString>
#include <QUrl>

namespace knockbox {

class ConfigurationModel;

struct AboutFacts {
    QString version;
    std::vector<std::pair<QString, QString>> files;  // what is kept, and where

    // The files of this model and of the running program.
    static AboutFacts of(const ConfigurationModel& model);
};

// A sheet over the window in the app's colours: a heading, its content and
// Done (the default button: Return closes it, as Escape does).
class InfoSheet : public QDialog {
    Q_OBJECT

public:
    InfoSheet(const QString& title, QWidget* content, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Opens the About sheet (deleted when closed).
InfoSheet* showAbout(const AboutFacts& facts, QWidget* parent);

// Opens the notices file with the system's default application; when there
// is none that can, shows the notices in a sheet and returns it. Nothing when
// there is no notices file.
InfoSheet* showLicenses(const std::optional<std::filesystem::path>& notices, QWidget* parent,
                        const std::function<bool(const QUrl&)>& open);

}  // namespace knockbox
