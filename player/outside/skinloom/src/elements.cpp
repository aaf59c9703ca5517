// Common element behaviour and the simple elements: panels, buttons, text blocks.
#include "elements.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSizePolicy>
#include <QString>
#include <QWidget>

namespace skinloom_detail {

IThemeElement* ElementBase::FindName(const std::string& name) {
    if (name.empty()) return nullptr;
    if (name == m_strName) return this;
    for (const auto& child : m_children) {
        if (IThemeElement* found = child->FindName(name)) return found;
    }
    return nullptr;
}

void ElementBase::SetEnabled(bool enabled) { m_pWidget->setEnabled(enabled); }

bool ElementBase::IsEnabled() const { return m_pWidget->isEnabled(); }

void ElementBase::SetVisibility(int visibility) {
    if (visibility < ThemeVisible || visibility > ThemeCollapsed) return;
    m_nVisibility = visibility;
    QSizePolicy policy = m_pWidget->sizePolicy();
    policy.setRetainSizeWhenHidden(visibility == ThemeHidden);
    m_pWidget->setSizePolicy(policy);
    m_pWidget->setVisible(visibility == ThemeVisible);
    if (QWidget* parent = m_pWidget->parentWidget(); parent != nullptr && parent->layout() != nullptr) {
        parent->layout()->invalidate();
        parent->layout()->activate();
    }
}

ButtonElement::ButtonElement(std::string name, QPushButton* button)
    : ElementBase(std::move(name), button), m_pButton(button) {}

void ButtonElement::SetText(const std::string& text) { m_pButton->setText(QString::fromStdString(text)); }

std::string ButtonElement::GetText() const { return m_pButton->text().toStdString(); }

TextBlockElement::TextBlockElement(std::string name, QLabel* label)
    : ElementBase(std::move(name), label), m_pLabel(label) {}

void TextBlockElement::SetText(const std::string& text) { m_pLabel->setText(QString::fromStdString(text)); }

std::string TextBlockElement::GetText() const { return m_pLabel->text().toStdString(); }

}  // namespace skinloom_detail
