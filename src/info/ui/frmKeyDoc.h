#pragma once
#include <QDialog>

class QListWidget;
class QPushButton;

// The key reference: the viewer's keys with one line of description each.
class frmKeyDoc : public QDialog
{
    Q_OBJECT
public:
    explicit frmKeyDoc(QWidget *parent = nullptr);

    QListWidget *lstKeyDoc;
    QPushButton *cmdOK;

private:
    void Form_Load();
};

// Shows the key reference modally; returns when it is closed.
void showKeyReference(QWidget *parent);
