#pragma once

#include <QImage>
#include <QMainWindow>

#include <functional>

class QAction;
class QLabel;

// The capture window: a copy of what the video area showed on screen, saved from here
// as a BMP file. It is made on first use and then only hidden when closed; the main
// window unloads it at the end of the run.
class frmCap : public QMainWindow {
    Q_OBJECT

public:
    // The load handler runs here: the window moves to (capLeft, capTop).
    explicit frmCap(QWidget* parent = nullptr);

    // Copies width × height pixels, as the screen shows them, from (x, y) of source into
    // picShow, fits the window around the picture and shows it. The player hands its video
    // area, whose one-pixel edge surrounds the picture: (1, 1) is the picture's first pixel.
    void showRect(int x, int y, QWidget* source, const QString& fileName, int width, int height);

    // The picture as it was copied (what "另存畫面" writes).
    QImage picture() const { return m_picture; }

    // The menu "另存畫面": asks for a name and writes the picture there as BMP, starting in
    // the folder startFolder gives ("" the dialog's own).
    void mnuSaveCap_Click();
    std::function<QString()> startFolder;

    QLabel* picShow = nullptr;
    // Its data is the suggested file name.
    QAction* mnuSaveCap = nullptr;

protected:
    // The unload handler: capLeft and capTop keep where the window was left.
    void closeEvent(QCloseEvent* event) override;

private:
    static QImage grabArea(QWidget* area, const QRect& rect);

    QImage m_picture;
};
