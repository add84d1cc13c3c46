#include "bench/ToolkitFloor.h"

#include "bench/SampleWindow.h"

#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>

namespace {
const char element[] = "floor";
}

ToolkitFloor::ToolkitFloor(const QStringList &names, const QStringList &signatures)
    : m_signatures(signatures), m_list(new QListWidget(this)), m_label(new QLabel(this)),
      m_view(new QWebEngineView(this))
{
    setFixedSize(900, 400);
    m_list->addItems(names);
    m_list->setFixedWidth(250);
    auto *right = new QVBoxLayout;
    right->addWidget(m_label);
    right->addWidget(m_view, 1);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(right, 1);
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { choose(m_list->row(item)); });
}

QWebEnginePage *ToolkitFloor::page() const
{
    return m_view->page();
}

bool ToolkitFloor::open()
{
    bool loaded = false;
    connect(m_view, &QWebEngineView::loadFinished, this, [&loaded](bool ok) { loaded = ok; });
    m_view->setHtml(elementPage(QLatin1String(element)));
    if (SampleWindow::show(*this) && SampleWindow::waitFor([&] { return loaded; }, 30000, 5))
        return true;
    std::fprintf(stderr, "the toolkit floor's page did not load\n");
    return false;
}

void ToolkitFloor::click(int row)
{
    const QRect rect = m_list->visualItemRect(m_list->item(row));
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 20, rect.center().y()));
}

void ToolkitFloor::choose(int row)
{
    m_label->setText(m_list->item(row)->text());
    m_view->page()->runJavaScript(update(QLatin1String(element), m_signatures.at(row)));
}

QString ToolkitFloor::elementPage(const QString &elementId)
{
    return QStringLiteral("<!DOCTYPE html><html><body><div id=\"%1\"></div></body></html>").arg(elementId);
}

QString ToolkitFloor::holds(const QString &id)
{
    return QStringLiteral("document.getElementById('%1') !== null").arg(id);
}

QString ToolkitFloor::update(const QString &elementId, const QString &html)
{
    const QByteArray json = QJsonDocument(QJsonArray{html}).toJson(QJsonDocument::Compact);
    return QStringLiteral("document.getElementById('%1').innerHTML = %2")
        .arg(elementId, QString::fromUtf8(json.sliced(1, json.size() - 2)));
}
