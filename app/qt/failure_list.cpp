#include "app/qt/failure_list.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <utility>

#include "app/failure_rows.h"
#include "app/qt/qt_text.h"
#include "values/literal.h"

namespace qimbra {

namespace {

// The failures as a table; the texts are made when a cell is drawn.
class FailureTable : public QAbstractTableModel {
  public:
    FailureTable(std::vector<RunFailure> failures, QObject* parent)
        : QAbstractTableModel(parent), failures_(std::move(failures)) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(failures_.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kFailureColumns; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
        return ToQString(
            FailureRowOf(failures_[static_cast<size_t>(index.row())])[static_cast<size_t>(index.column())]);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Vertical) return section + 1;
        return ToQString(FailureHeaders()[static_cast<size_t>(section)]);
    }

    [[nodiscard]] const std::vector<RunFailure>& failures() const { return failures_; }

  private:
    std::vector<RunFailure> failures_;
};

}  // namespace

QDialog* ShowFailureList(QWidget* owner, std::vector<RunFailure> failures) {
    auto* dialog = new QDialog(owner);
    dialog->setObjectName(QStringLiteral("对话框_失败列表"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(ToQString(Cp936("失败列表")));
    dialog->resize(640, 360);

    auto* table = new QTableView(dialog);
    table->setObjectName(QStringLiteral("列表_失败"));
    auto* model = new FailureTable(std::move(failures), table);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setColumnWidth(0, 140);
    table->setColumnWidth(1, 56);
    table->setColumnWidth(2, 280);

    auto* copy = new QPushButton(ToQString(Cp936("复制全部")), dialog);
    copy->setObjectName(QStringLiteral("按钮_复制"));
    QObject::connect(copy, &QPushButton::clicked, dialog,
                     [model] { QApplication::clipboard()->setText(ToQString(FailureListText(model->failures()))); });

    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(table);
    layout->addWidget(copy, 0, Qt::AlignRight);
    dialog->show();
    return dialog;
}

}  // namespace qimbra
