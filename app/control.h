#pragma once

#include <QObject>

class MainModel;
class MainWindow;

/**
 * The composition root. The constructor creates the main window and the model side,
 * connects each of the thirteen hub signals to its one slot and the per-request outcomes
 * to the device view, hands the model owner to the HTTP client as the receiver of
 * replies, and only then shows the window, so the first possible search already finds
 * everything in place.
 *
 * The destructor tears down in a fixed order: the window (with the view and the
 * pop-ups), then the model side (with its socket), then the HTTP client.
 */
class Control : public QObject
{
    Q_OBJECT

public:
    explicit Control(QObject *parent = nullptr);
    ~Control() override;

    /// The main window; null once destroyed.
    MainWindow *getMainWindow() const;
    /// The model owner; null once destroyed.
    MainModel *getMainModel() const;

private:
    MainWindow *m_pMainWindow = nullptr;
    MainModel *m_pMainModel = nullptr;
};
