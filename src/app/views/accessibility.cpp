#include "app/views/accessibility.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

#include "app/views/sound_picker_view.h"
#include "app/views/studio_controls.h"
#include "app/views/studio_label.h"

namespace knockbox {
namespace {

// A kit card: a toggle button, checked (and its value "Selected") while
// every drum plays its kit.
class KitCardAccessible : public QAccessibleWidget {
public:
    explicit KitCardAccessible(KitCard* card) : QAccessibleWidget(card, QAccessible::Button) {}

    KitCard* card() const { return static_cast<KitCard*>(widget()); }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = card()->isChecked();
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return card()->isChecked() ? QStringLiteral("Selected") : QString();
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) card()->click();
    }
};

// A slider whose positions are percentages: its value reads "70%".
class SliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SliderAccessible(StudioSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    StudioSlider* slider() const { return static_cast<StudioSlider*>(widget()); }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return QStringLiteral("%1%").arg(slider()->value());
        return QAccessibleWidget::text(kind);
    }
    QVariant currentValue() const override { return slider()->value(); }
    void setCurrentValue(const QVariant& value) override { slider()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }
};

// A title, read as a heading named by its text.
class HeadingAccessible : public QAccessibleWidget {
public:
    explicit HeadingAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Heading) {}

    QString text(QAccessible::Text kind) const override {
        const auto* label = qobject_cast<const QLabel*>(widget());
        if (kind == QAccessible::Name && label && label->accessibleName().isEmpty()) return label->text();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("knockbox::KitCard")) return new KitCardAccessible(static_cast<KitCard*>(widget));
    if (className == QLatin1String("knockbox::StudioSlider"))
        return new SliderAccessible(static_cast<StudioSlider*>(widget));
    // The fading title keeps its text as its accessible name.
    if (className == QLatin1String("knockbox::Heading") || className == QLatin1String("knockbox::FadingLabel"))
        return new HeadingAccessible(widget);
    return nullptr;
}

}  // namespace

void installAccessibility() {
    static const bool installed = (QAccessible::installFactory(factory), true);
    (void)installed;
}

}  // namespace knockbox
