#pragma once
// The window where the sheet's tab control was: a caption band naming the current page and,
// below it, a message area that the current page covers. CPageFrame is what the sheet talks
// to; CPageFrameWnd, a plain child window, paints it.
#include <QIcon>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>

class QPainter;

class CPageFrame {
  public:
    virtual ~CPageFrame() = default;

    virtual QWidget* GetWnd() = 0;
    virtual void EnableCaption(bool enable);
    virtual void SetCaptionHeight(int height);
    virtual void SetCaption(const QString& text, const QIcon& icon = {});
    virtual void SetMessageText(const QString& text);
    virtual void SetMessageFormat(uint32_t flags);
    virtual void Draw(QPainter& painter);
    virtual QRect GetMessageRect();
    virtual void DrawMessage(QPainter& painter, const QRect& rect, const QString& text,
                             uint32_t flags);
    virtual QRect GetCaptionRect();
    virtual void DrawCaption(QPainter& painter, const QRect& rect, const QString& text,
                             const QIcon& icon);

    bool IsCaptionEnabled() const { return m_bCaptionEnabled; }
    int GetCaptionHeight() const { return m_nCaptionHeight; }
    const QString& GetCaptionText() const { return m_strCaption; }
    const QString& GetMessageText() const { return m_strMessage; }
    uint32_t GetMessageFormat() const { return m_uMessageFormat; }
    void SafeInvalidateRect(const QRect& rect);

  protected:
    QRect ClientRect();

    bool m_bCaptionEnabled = false;
    int m_nCaptionHeight = 0;
    QString m_strCaption;
    QIcon m_hCaptionIcon;
    QString m_strMessage;
    // Centred both ways, one line, no prefix processing.
    uint32_t m_uMessageFormat = 0x825;
};

class CPageFrameWnd : public QWidget, public CPageFrame {
  public:
    explicit CPageFrameWnd(QWidget* parent);

    QWidget* GetWnd() override { return this; }
    // The message area starts one pixel below the caption band.
    QRect GetMessageRect() override;
    void DrawCaption(QPainter& painter, const QRect& rect, const QString& text,
                     const QIcon& icon) override;

    // The colours of the caption band: its left end, and the text.
    static QColor InactiveCaptionColour();
    static QColor CaptionTextColour();

  protected:
    void paintEvent(QPaintEvent* event) override;
};
