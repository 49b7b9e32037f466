// How fast the subject tree fills while it is shown, against a bare
// QTreeWidget that gets the same items in bulk: 1,000 subjects added under
// an open folder, and 2,000 phrases added under a closed subject that is
// then opened. Each run ends with the window painted.
#include "platform/image_list.h"
#include "platform/tree_view_widget.h"

#include <QApplication>
#include <QPixmap>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

struct Texts {
    std::vector<QString> text;
    std::vector<QString> tag;
    explicit Texts(int count) {
        for (int i = 0; i < count; ++i) {
            text.push_back(QStringLiteral("Phrase number %1").arg(i));
            tag.push_back(QStringLiteral("subject.ito*%1*frase*phrase*phrase").arg(i));
        }
    }
};

const Texts &texts() {
    static const Texts all(2000);
    return all;
}

const std::shared_ptr<const ImageList> &images() {
    static const std::shared_ptr<const ImageList> list = [] {
        auto l = std::make_shared<ImageList>(QSize(16, 16));
        for (const QColor colour : {Qt::red, Qt::green, Qt::blue, Qt::cyan, Qt::magenta}) {
            QPixmap pixmap(16, 16);
            pixmap.fill(colour);
            l->Add(pixmap);
        }
        return l;
    }();
    return list;
}

void paint(QAbstractItemView &view) {
    QCoreApplication::processEvents();
    view.viewport()->repaint();
}

// The view has the rows and shows the first of them; asked as a view asks,
// so that nothing is announced on the way.
bool shows(const QTreeView &view, const QModelIndex &parent, int count) {
    return view.model()->rowCount(parent) == count && view.isExpanded(parent) &&
           !view.visualRect(view.model()->index(0, 0, parent)).isEmpty();
}

std::unique_ptr<TreeViewWidget> shownTree() {
    auto widget = std::make_unique<TreeViewWidget>();
    widget->SetImageList(images());
    TreeView &nodes = widget->Nodes();
    for (int i = 0; i < 3; ++i)
        nodes.Add(0, QStringLiteral("Folder %1").arg(i), QStringLiteral("FOLDER*%1").arg(i), 1);
    nodes.Add(2, QStringLiteral("Subject"), QStringLiteral("SUBJECT*s.ito"), 3, 4);
    nodes.SetExpanded(1, true);
    nodes.SetExpanded(2, true);
    widget->resize(345, 392);
    widget->show();
    paint(*widget);
    return widget;
}

std::unique_ptr<QTreeWidget> shownBareTree() {
    auto widget = std::make_unique<QTreeWidget>();
    widget->setHeaderHidden(true);
    widget->setUniformRowHeights(true);
    widget->setIconSize(QSize(16, 16));
    QList<QTreeWidgetItem *> folders;
    for (int i = 0; i < 3; ++i) {
        auto *item = new QTreeWidgetItem({QStringLiteral("Folder %1").arg(i)});
        item->setIcon(0, images()->Icon(1));
        folders << item;
    }
    widget->addTopLevelItems(folders);
    auto *subject = new QTreeWidgetItem({QStringLiteral("Subject")});
    subject->setIcon(0, images()->Icon(3));
    folders[1]->addChild(subject);
    folders[0]->setExpanded(true);
    folders[1]->setExpanded(true);
    widget->resize(345, 392);
    widget->show();
    paint(*widget);
    return widget;
}

QList<QTreeWidgetItem *> bareItems(int count) {
    QList<QTreeWidgetItem *> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto *item = new QTreeWidgetItem;
        item->setText(0, texts().text[static_cast<size_t>(i)]);
        item->setIcon(0, images()->Icon(5));
        items << item;
    }
    return items;
}

// 1,000 subjects into the open first folder of a shown tree.
void BM_FillOpenFolder(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto widget = shownTree();
        state.ResumeTiming();
        TreeView &nodes = widget->Nodes();
        for (int i = 0; i < count; ++i)
            nodes.Add(1, texts().text[static_cast<size_t>(i)], texts().tag[static_cast<size_t>(i)],
                      3, 4);
        paint(*widget);
        if (!shows(*widget, widget->model()->index(0, 0), count))
            state.SkipWithError("the view does not show the new nodes");
        state.PauseTiming();
        widget.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FillOpenFolder)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_BareFillOpenFolder(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto widget = shownBareTree();
        state.ResumeTiming();
        widget->topLevelItem(0)->addChildren(bareItems(count));
        paint(*widget);
        if (!shows(*widget, widget->model()->index(0, 0), count))
            state.SkipWithError("the view does not show the new items");
        state.PauseTiming();
        widget.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BareFillOpenFolder)->Arg(1000)->Unit(benchmark::kMillisecond);

// 2,000 phrases under a closed subject, which is then opened.
void BM_FillClosedSubjectAndOpen(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto widget = shownTree();
        state.ResumeTiming();
        TreeView &nodes = widget->Nodes();
        for (int i = 0; i < count; ++i)
            nodes.Add(4, texts().text[static_cast<size_t>(i)], texts().tag[static_cast<size_t>(i)],
                      5);
        nodes.SetExpanded(4, true);
        paint(*widget);
        if (!shows(*widget, widget->model()->index(0, 0, widget->model()->index(1, 0)), count))
            state.SkipWithError("the view does not show the new nodes");
        state.PauseTiming();
        widget.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FillClosedSubjectAndOpen)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_BareFillClosedSubjectAndOpen(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto widget = shownBareTree();
        state.ResumeTiming();
        QTreeWidgetItem *subject = widget->topLevelItem(1)->child(0);
        subject->addChildren(bareItems(count));
        subject->setExpanded(true);
        paint(*widget);
        if (!shows(*widget, widget->model()->index(0, 0, widget->model()->index(1, 0)), count))
            state.SkipWithError("the view does not show the new items");
        state.PauseTiming();
        widget.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BareFillClosedSubjectAndOpen)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
