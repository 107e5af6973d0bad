#include "screens/TestRowDelegate.h"

#include "screens/TestListModel.h"
#include "screens/Tone.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>

#include <algorithm>

namespace ovalon {

namespace {

constexpr int horizontalPadding = 8;
constexpr int verticalPadding = 6;
constexpr int lineGap = 2;

} // namespace

QFont TestRowDelegate::countsFont(const QFont &title) {
  QFont font = title;
  if (font.pointSizeF() > 0)
    font.setPointSizeF(font.pointSizeF() * 0.88);
  else
    font.setPixelSize(std::max(8, font.pixelSize() * 88 / 100));
  return font;
}

// The width the row's text has: the list's own width, less the padding.
int TestRowDelegate::textWidth(const QStyleOptionViewItem &option) {
  int width = option.rect.width();
  if (const auto *view = qobject_cast<const QAbstractItemView *>(option.widget))
    width = view->viewport()->width();
  return std::max(40, width - horizontalPadding * 2);
}

QSize TestRowDelegate::sizeHint(const QStyleOptionViewItem &option,
                                const QModelIndex &index) const {
  int width = textWidth(option);
  QRect title = lines(option.font, width, index.data(Qt::DisplayRole).toString());
  QRect counts =
      lines(countsFont(option.font), width, index.data(TestListModel::countsRole).toString());
  return {width + horizontalPadding * 2,
          verticalPadding * 2 + title.height() + lineGap + counts.height()};
}

QRect TestRowDelegate::lines(const QFont &font, int width, const QString &text) {
  return QFontMetrics(font).boundingRect(QRect(0, 0, width, 10000),
                                         Qt::TextWordWrap | Qt::AlignLeft, text);
}

void TestRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const {
  QStyleOptionViewItem item = option;
  initStyleOption(&item, index);
  // The style draws the row's background and selection, as for any other list.
  item.text.clear();
  const QWidget *widget = option.widget;
  QStyle *style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

  bool selected = option.state & QStyle::State_Selected;
  QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                               : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                       : QPalette::Inactive;
  QColor text = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
  QColor secondary = selected
                         ? ui::mix(text, option.palette.color(group, QPalette::Highlight), 0.25)
                         : ui::secondaryText(option.palette);

  // Long titles and counts wrap onto more lines; the row's size hint made room for them.
  int width = option.rect.width() - horizontalPadding * 2;
  QFont countsFont = TestRowDelegate::countsFont(option.font);
  QString titleText = index.data(Qt::DisplayRole).toString();
  QString countsText = index.data(TestListModel::countsRole).toString();
  QRect title =
      lines(option.font, width, titleText)
          .translated(option.rect.left() + horizontalPadding, option.rect.top() + verticalPadding);
  QRect counts =
      lines(countsFont, width, countsText).translated(title.left(), title.bottom() + 1 + lineGap);
  painter->save();
  painter->setFont(option.font);
  painter->setPen(text);
  painter->drawText(title, Qt::TextWordWrap | Qt::AlignLeft, titleText);
  painter->setFont(countsFont);
  painter->setPen(secondary);
  painter->drawText(counts, Qt::TextWordWrap | Qt::AlignLeft, countsText);
  painter->restore();
}

} // namespace ovalon
