#pragma once
#include <QStringList>
#include <QWidget>

// A tab strip that puts its tabs on as many rows as it needs to show every
// caption whole, where a QTabBar would hide some behind scroll arrows.
class TabRows : public QWidget {
    Q_OBJECT
public:
    explicit TabRows(QWidget *parent = nullptr);

    int addTab(const QString &text);
    int count() const { return int(m_texts.size()); }
    QString tabText(int index) const { return m_texts.value(index); }
    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);
    int rowCount() const;
    QRect tabRect(int index) const;
    QSize sizeHint() const override;

signals:
    void currentChanged(int index);
    void tabBarClicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int captionWidth(int index) const;
    int perRow() const;

    QStringList m_texts;
    int m_current = -1;
};
