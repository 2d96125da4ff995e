#pragma once

#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <optional>
#include <vector>

namespace veltrop {

// A bar of bands in rows along the top of a window. Each band shows a grip, an
// optional caption and one control. The user drags a band by its grip or caption to
// another place or row, drags the edge between two bands to share their room
// differently, and clicks a caption to give that band all the room its row can spare.
// The arrangement lives only as long as the bar: nothing of it is saved.
class BandBar : public QWidget {
    Q_OBJECT

public:
    explicit BandBar(QWidget* parent = nullptr);

    // Appends a band; the bar becomes the control's parent. A band is as high as
    // minHeight or the control's minimum height, whichever is more.
    void addBand(const QString& caption, QWidget* control, int width, int minHeight, bool newRow);

    // Bands are numbered row by row, left to right, as they stand now.
    int bandCount() const;
    int bandOf(const QWidget* control) const;  // -1 when the control is in no band
    QWidget* control(int band) const;
    QString caption(int band) const;
    // The width the band asks for; the last band of a row takes what the row has left.
    int bandWidth(int band) const;
    int rowCount() const;
    int rowOf(int band) const;
    QRect bandRect(int band) const;
    // Grip and caption: the place to drag the band by, or to click to maximise it.
    QRect headerRect(int band) const;

    void maximizeBand(int band);

    // Shown on a right-click on the bar, or on a control that has no menu of its own.
    void setContextMenu(QMenu* menu);
    QMenu* contextMenu() const { return menu_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Band {
        QString caption;
        QWidget* control;
        int width;
        int minHeight;
        QRect rect;
    };
    using Row = std::vector<Band>;
    struct Place {
        std::size_t row;
        std::size_t index;
    };
    enum class Grab { Header, Edge };
    struct Drag {
        Grab grab;
        QWidget* control;  // the band grabbed: for an edge, the band left of it
        QPoint pressPos;
        int offset;  // from the grabbed line (band's left side or edge) to the pointer
        bool moved;
    };

    Place place(int band) const;
    const Band& bandAt(int band) const;
    std::optional<Place> placeOf(const QWidget* control) const;
    std::optional<Place> headerAt(QPoint pos) const;
    std::optional<Place> edgeAt(QPoint pos) const;
    int headerWidth(const Band& band) const;
    int minimumWidth(const Band& band) const;
    std::vector<int> minimums(const Row& row) const;
    static std::vector<int> wanted(const Row& row);
    void setWidths(Row& row, const std::vector<int>& widths);
    int rowHeight(const Row& row) const;
    int rowAt(int y) const;
    void dragHeader(const Drag& drag, QPoint pos);
    void dragEdge(const Drag& drag, QPoint pos);
    void moveEdge(std::size_t row, std::size_t left, int delta);
    void moveToRow(Place from, int row, int x);
    void relayout();
    void updateCursor(QPoint pos);

    std::vector<Row> rows_;
    QPointer<QMenu> menu_;
    std::optional<Drag> drag_;
};

}  // namespace veltrop
