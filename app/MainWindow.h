#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QWidget>

// The main window: for now the titled frame with an empty central area.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};

#endif // MAINWINDOW_H
