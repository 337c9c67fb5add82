#include "gui/offer/offerdialog.h"

#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/common/numbers.h"
#include "gui/common/dialogrunner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tarvex {

namespace {

template <typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A number typed into a box, or what is wrong with it.
bool readNumber(const QLineEdit *box, const QString &label, double *value, QString *problem)
{
    if (parseNumber(box->text(), value))
        return true;
    if (problem && problem->isEmpty())
        *problem = label + QStringLiteral("应为数字: ") + box->text().trimmed();
    return false;
}

} // namespace

OfferDialog::OfferDialog(const OfferSettings &settings, const QString &project, QWidget *parent)
    : QDialog(parent)
    , m_customer(named(new QLineEdit(this), "Text1"))
    , m_project(named(new QLineEdit(project, this), "Text2"))
    , m_perWindow(named(new QRadioButton(QStringLiteral("每个窗号一行"), this), "Option1"))
    , m_perSeries(named(new QRadioButton(QStringLiteral("每个门窗系列一行"), this), "Option2"))
    , m_discountKind(named(new QComboBox(this), "Combo1"))
    , m_discount(named(new QLineEdit(this), "Text3"))
    , m_taxed(named(new QCheckBox(QStringLiteral("计税"), this), "Check1"))
    , m_tax(named(new QLineEdit(this), "Text4"))
    , m_validity(named(new QLineEdit(QString::number(settings.validityDays), this), "Text5"))
{
    setObjectName(QStringLiteral("OfferDialog"));
    setWindowTitle(QStringLiteral("客户报价"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    (settings.scope == OfferScope::Series ? m_perSeries : m_perWindow)->setChecked(true);
    m_discountKind->addItems({QStringLiteral("无优惠"), QStringLiteral("按比例(%)"), QStringLiteral("按金额(元)")});
    m_taxed->setChecked(settings.taxPercent.has_value());
    m_tax->setText(plainNumber(settings.taxPercent.value_or(13)));
    m_customer->setMinimumWidth(280);

    auto *scope = new QHBoxLayout;
    scope->addWidget(m_perWindow);
    scope->addWidget(m_perSeries);
    auto *discount = new QHBoxLayout;
    discount->addWidget(m_discountKind);
    discount->addWidget(m_discount, 1);
    auto *tax = new QHBoxLayout;
    tax->addWidget(m_taxed);
    tax->addWidget(m_tax, 1);
    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("客户"), m_customer);
    form->addRow(QStringLiteral("项目"), m_project);
    form->addRow(QStringLiteral("报价行"), scope);
    form->addRow(QStringLiteral("优惠"), discount);
    form->addRow(QStringLiteral("税率(%)"), tax);
    form->addRow(QStringLiteral("有效期(天)"), m_validity);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *issue = named(new QPushButton(QStringLiteral("出具报价"), this), "Command1");
    auto *cancel = named(new QPushButton(QStringLiteral("取消"), this), "Command2");
    issue->setDefault(true);
    buttons->addWidget(issue);
    buttons->addWidget(cancel);
    form->addRow(buttons);
    connect(issue, &QPushButton::clicked, this, &OfferDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &OfferDialog::reject);

    auto follow = [this] {
        m_discount->setEnabled(m_discountKind->currentIndex() != 0);
        m_tax->setEnabled(m_taxed->isChecked());
    };
    connect(m_discountKind, &QComboBox::currentIndexChanged, this, follow);
    connect(m_taxed, &QCheckBox::toggled, this, follow);
    follow();
}

OfferRequest OfferDialog::request(QString *problem) const
{
    OfferRequest r;
    r.customer = m_customer->text().trimmed();
    r.project = m_project->text().trimmed();
    r.scope = m_perSeries->isChecked() ? OfferScope::Series : OfferScope::Window;
    double value = 0;
    if (m_discountKind->currentIndex() != 0 && readNumber(m_discount, QStringLiteral("优惠"), &value, problem)) {
        r.discount
            = {m_discountKind->currentIndex() == 1 ? OfferDiscount::Kind::Percent : OfferDiscount::Kind::Amount, value};
    }
    if (m_taxed->isChecked() && readNumber(m_tax, QStringLiteral("税率"), &value, problem))
        r.taxPercent = value;
    bool ok = false;
    r.validityDays = m_validity->text().trimmed().toInt(&ok);
    if (!ok && problem && problem->isEmpty())
        *problem = QStringLiteral("有效期应为天数: ") + m_validity->text().trimmed();
    if (problem && problem->isEmpty())
        *problem = checkOfferRequest(r);
    return r;
}

void OfferDialog::accept()
{
    QString problem;
    const OfferRequest r = request(&problem);
    if (!problem.isEmpty()) {
        messages().warning(problem);
        return;
    }
    OfferSettings choices = readOfferSettings(iniPath());
    choices.scope = r.scope;
    choices.validityDays = r.validityDays;
    choices.taxPercent = r.taxPercent;
    try {
        writeOfferChoices(iniPath(), choices);
    } catch (const Error &e) {
        reportError(e.message());
    }
    QDialog::accept();
}

std::optional<OfferRequest> askOfferRequest(const QString &project, QWidget *parent)
{
    OfferDialog dialog(readOfferSettings(iniPath()), project, parent);
    if (runDialog(&dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.request();
}

} // namespace tarvex
