// Reading layout files into widgets and elements.
#include "layout_loader.h"

#include <QBoxLayout>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QXmlStreamReader>

#include "skinloom/theme_manager.h"

namespace skinloom_detail {
namespace {

// The attributes of one layout element.
class Attributes {
public:
    explicit Attributes(QXmlStreamAttributes attributes) : attributes_(std::move(attributes)) {}
    std::string text(const char* name) const { return attributes_.value(name).toString().toStdString(); }
    int number(const char* name, int fallback) const {
        bool ok = false;
        const int value = attributes_.value(name).toInt(&ok);
        return ok ? value : fallback;
    }
    // The element's visible text: the theme's string for TextKey, with Text as the default.
    std::string shownText() const {
        const std::string key = text("TextKey");
        return key.empty() ? text("Text") : ThemeText(key, text("Text"));
    }

private:
    QXmlStreamAttributes attributes_;
};

class LayoutReader {
public:
    LayoutReader(QXmlStreamReader& xml, IThemeEventHandler* handler) : xml_(xml), handler_(handler) {}

    // Reads the children of the current XML element into `parent` and its box layout.
    bool readChildren(ElementBase& parent, QBoxLayout* layout);

private:
    std::unique_ptr<ElementBase> makeElement(const Attributes& attributes, QWidget* parent);
    std::unique_ptr<ElementBase> makePanel(const Attributes& attributes, QWidget* parent);
    std::unique_ptr<ElementBase> makeButton(const Attributes& attributes, QWidget* parent);
    static void applyCommon(const Attributes& attributes, ElementBase& element, QBoxLayout* layout);

    QXmlStreamReader& xml_;
    IThemeEventHandler* handler_;
};

std::unique_ptr<ElementBase> LayoutReader::makePanel(const Attributes& attributes, QWidget* parent) {
    auto* widget = new QWidget(parent);
    const bool horizontal = attributes.text("Orientation") == "Horizontal";
    auto* box = new QBoxLayout(horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, widget);
    const int margin = attributes.number("Margin", 0);
    box->setContentsMargins(margin, margin, margin, margin);
    box->setSpacing(attributes.number("Spacing", 6));
    auto panel = std::make_unique<PanelElement>(attributes.text("Name"), widget);
    if (!readChildren(*panel, box)) return nullptr;
    return panel;
}

std::unique_ptr<ElementBase> LayoutReader::makeButton(const Attributes& attributes, QWidget* parent) {
    auto* button = new QPushButton(QString::fromStdString(attributes.shownText()), parent);
    const std::string name = attributes.text("Name");
    std::string click = attributes.text("Click");
    if (click.empty()) click = name + "Click";
    IThemeEventHandler* handler = handler_;
    QObject::connect(button, &QPushButton::clicked, button, [handler, click, name] {
        if (handler != nullptr) handler->OnEvent(ThemeEvent{click, name, 0});
    });
    return std::make_unique<ButtonElement>(name, button);
}

std::unique_ptr<ElementBase> LayoutReader::makeElement(const Attributes& attributes, QWidget* parent) {
    const auto tag = xml_.name();
    if (tag == u"Panel") return makePanel(attributes, parent);
    std::unique_ptr<ElementBase> element;
    const std::string name = attributes.text("Name");
    if (tag == u"Button") element = makeButton(attributes, parent);
    if (tag == u"ListCtrl") element = std::make_unique<ListCtrlElement>(name, new QTreeWidget(parent));
    if (tag == u"TextBlock") {
        element = std::make_unique<TextBlockElement>(name, new QLabel(QString::fromStdString(attributes.shownText()), parent));
    }
    if (element) xml_.skipCurrentElement();
    return element;
}

void LayoutReader::applyCommon(const Attributes& attributes, ElementBase& element, QBoxLayout* layout) {
    QWidget* widget = element.widget();
    widget->setObjectName(QString::fromStdString(element.GetName()));
    if (const int width = attributes.number("Width", 0); width > 0) widget->setFixedWidth(width);
    if (const int height = attributes.number("Height", 0); height > 0) widget->setFixedHeight(height);
    layout->addWidget(widget, attributes.number("Stretch", 0));
    if (attributes.text("IsEnabled") == "false") element.SetEnabled(false);
    element.SetVisibility(attributes.number("Visibility", ThemeVisible));
}

bool LayoutReader::readChildren(ElementBase& parent, QBoxLayout* layout) {
    while (xml_.readNextStartElement()) {
        const Attributes attributes(xml_.attributes());  // read before the children move the reader on
        if (xml_.name() == u"Spacer") {
            layout->addStretch(attributes.number("Stretch", 1));
            xml_.skipCurrentElement();
            continue;
        }
        std::unique_ptr<ElementBase> child = makeElement(attributes, parent.widget());
        if (!child) {
            if (!xml_.hasError()) xml_.raiseError(QStringLiteral("unknown element ") + xml_.name().toString());
            return false;
        }
        applyCommon(attributes, *child, layout);
        parent.addChild(std::move(child));
    }
    return !xml_.hasError();
}

}  // namespace

Layout loadLayout(const std::string& path, QWidget* window, IThemeEventHandler* handler) {
    Layout layout;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        layout.error = "cannot read " + path;
        return layout;
    }
    QXmlStreamReader xml(&file);
    if (!xml.readNextStartElement() || xml.name() != u"Window") {
        layout.error = path + ": the root element must be Window";
        return layout;
    }
    const Attributes attributes(xml.attributes());
    const std::string titleKey = attributes.text("TitleKey");
    layout.title = titleKey.empty() ? attributes.text("Title") : ThemeText(titleKey, attributes.text("Title"));
    layout.width = attributes.number("Width", 0);
    layout.height = attributes.number("Height", 0);
    auto root = std::make_unique<PanelElement>(attributes.text("Name"), window);
    auto* box = new QBoxLayout(QBoxLayout::TopToBottom, window);
    LayoutReader reader(xml, handler);
    if (!reader.readChildren(*root, box)) {
        layout.error = path + ": " + xml.errorString().toStdString();
        return layout;
    }
    layout.root = std::move(root);
    return layout;
}

}  // namespace skinloom_detail
