#include "app/views/about_dialog.h"

#include <system_error>

#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>
#include <QtGlobal>

#include "app/configuration_model.h"
#include "app/views/studio_button.h"
#include "app/views/studio_label.h"
#include "app/views/studio_palette.h"
#include "core/line_text.h"
#include "core/small_file.h"
#include "player/process_values.h"

namespace knockbox {
namespace fs = std::filesystem;
namespace {

QString shown(const fs::path& path) { return QString::fromStdString(pathText(path)); }

// Live MIDI finds a JACK server through its library on Linux; a Mac has CoreMIDI.
#ifdef __APPLE__
const QString jackLibrary;
#else
const QString jackLibrary = QStringLiteral("the JACK library (LGPL-2.1), ");
#endif

// The notices as text, when they can be read (a regular file of a sensible size).
std::optional<QString> readNotices(const fs::path& file) {
    try {
        const std::string text = readSmallFile(file);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    } catch (const std::system_error&) {
        return std::nullopt;
    }
}

QLabel* paragraph(const QString& text, QWidget* parent, const studio::Ink& ink = studio::textInk) {
    QLabel* label = studioLabel(text, 13, QFont::Normal, studio::inkColor(ink), parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

AboutFacts AboutFacts::of(const ConfigurationModel& model) {
    const ProcessValues& values = processValues();
    return {QStringLiteral(KNOCKBOX_VERSION),
            {{QStringLiteral("Settings"), shown(model.settingsFile())},
             {QStringLiteral("Onboarding done"), QString::fromStdString(outsideText(model.preferencesLocation().toStdString()))},
             {QStringLiteral("Firm-tap side profile"), shown(values.sideProfileURL)},
             {QStringLiteral("Light-tap side profile"), shown(values.lightProfileURL)},
             {QStringLiteral("Calibration journals"),
              shown(values.sideProfileURL.parent_path() / "recordings" / "calibration")}}};
}

InfoSheet::InfoSheet(const QString& title, QWidget* content, QWidget* parent) : Sheet(title, 600, parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(26, 26, 26, 26);
    column->setSpacing(16);
    column->addWidget(studioHeading(title, 22, QFont::DemiBold, studio::inkColor(studio::titleInk), this));
    column->addWidget(content, 1);
    auto* done = new StudioButton(QStringLiteral("Done"), false, this);
    done->setCapsuleHeight(32);
    connect(done, &QAbstractButton::clicked, this, &QDialog::accept);
    column->addWidget(done, 0, Qt::AlignRight);
}

InfoSheet* showAbout(const AboutFacts& facts, QWidget* parent) {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(paragraph(QStringLiteral("Version %1").arg(facts.version), content));
    column->addWidget(paragraph(QStringLiteral("Drums on your MacBook's case: taps on the two palm rests play a "
                                               "kick, a snare, a hi-hat and a tom."),
                                content, studio::secondaryInk));
    column->addWidget(studioHeading(QStringLiteral("Licences"), 14, QFont::DemiBold,
                                    studio::inkColor(studio::titleInk), content));
    column->addWidget(paragraph(
        QStringLiteral("The Live kit's recordings are licensed CC BY-SA 3.0 US (Knockbox › Credits & Licenses). "
                       "Built with Qt %1 (LGPL-3.0), libsndfile (LGPL-2.1), RtAudio and RtMidi (MIT-style), "
                       "%2nlohmann/json and fast_float (MIT).")
            .arg(QString::fromLatin1(qVersion()), jackLibrary),
        content, studio::secondaryInk));
    column->addWidget(studioHeading(QStringLiteral("Where files are kept"), 14, QFont::DemiBold,
                                    studio::inkColor(studio::titleInk), content));
    for (const auto& [what, where] : facts.files) {
        QLabel* row = paragraph(what + QStringLiteral(": ") + where, content, studio::secondaryInk);
        column->addWidget(row);
    }
    auto* sheet = new InfoSheet(QStringLiteral("About Knockbox"), content, parent);
    sheet->show();
    return sheet;
}

InfoSheet* showLicenses(const std::optional<fs::path>& notices, QWidget* parent,
                        const std::function<bool(const QUrl&)>& open) {
    if (!notices) return nullptr;
    if (open(QUrl::fromLocalFile(QString::fromStdString(notices->string())))) return nullptr;
    auto* text = new QTextBrowser;
    text->setOpenExternalLinks(true);
    text->setFrameShape(QFrame::NoFrame);
    text->setMinimumHeight(360);
    QPalette colours = text->palette();
    for (const auto role : {QPalette::Base, QPalette::Window, QPalette::Button})
        colours.setColor(role, studio::color(studio::sheetBackground));
    colours.setColor(QPalette::Text, studio::inkColor(studio::textInk));
    text->setPalette(colours);
    text->setFont(studioFont(text->font(), 13));
    if (const auto markdown = readNotices(*notices)) {
        text->setMarkdown(*markdown);
        // Links in the sheet's accent: the markdown reader gives them the
        // application's link colour, made for light backgrounds.
        QTextCursor cursor(text->document());
        for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                if (!fragment.fragment().charFormat().isAnchor()) continue;
                cursor.setPosition(fragment.fragment().position());
                cursor.setPosition(fragment.fragment().position() + fragment.fragment().length(), QTextCursor::KeepAnchor);
                QTextCharFormat link;
                link.setForeground(studio::color(studio::pickerAccent));
                cursor.mergeCharFormat(link);
            }
        }
    } else {
        text->setPlainText(QStringLiteral("The notices could not be read from %1.").arg(shown(*notices)));
    }
    auto* sheet = new InfoSheet(QStringLiteral("Credits & Licenses"), text, parent);
    sheet->show();
    return sheet;
}

}  // namespace knockbox
