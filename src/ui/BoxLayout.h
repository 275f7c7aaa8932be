#pragma once
// Places the children of a container the way the layout files describe: fixed sizes,
// equal shares of what is left, paddings, limits and floating children.

#include <QLayout>
#include <QList>
#include <QMargins>

namespace velnor7::ui {

class CPaintManagerUI;

class BoxLayout : public QLayout {
public:
    enum class Direction { Horizontal, Vertical, Overlay };

    BoxLayout(Direction direction, QWidget* parent);
    ~BoxLayout() override;

    void InsertWidget(int index, QWidget* widget);

    void SetInset(const QMargins& inset);
    void SetChildPadding(int padding);
    // Cross-axis placement of children smaller than the row: 0 start, 1 centre, 2 end.
    void SetChildAlign(int align);
    void SetChildVAlign(int align);
    void SetManager(const CPaintManagerUI* manager) { manager_ = manager; }

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    int Scaled(int value) const;

    Direction direction_;
    QList<QLayoutItem*> items_;
    QMargins inset_;
    int childPadding_ = 0;
    int childAlign_ = 0;
    int childVAlign_ = 0;
    const CPaintManagerUI* manager_ = nullptr;
};

}  // namespace velnor7::ui
