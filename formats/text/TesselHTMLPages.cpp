#include "formats/text/TesselHTMLPages.h"

#include "engine/TesselStream.h"
#include "core/Exception.h"
#include "formats/text/TesselHTMLText.h"

namespace verimo::html {

namespace {

void AddLine(WideString& bar, WideStringView line) {
  bar.append(line);
  bar.append(u"\r\n");
}

void AddLinkCell(WideString& bar, WideStringView href, WideStringView text) {
  AddLine(bar, u"    <td><a href=\"" + WideString(href) + u"\">" + EscapeMarkup(text) + u"</a></td>");
}

}  // namespace

WideString NavigationBar(const TTesselHTMLNavigation& navigation, const TNavigationLinks& links, int page, bool bottom) {
  const int count = static_cast<int>(links.PageHrefs.size());
  auto href = [&links](int number) -> const WideString& { return links.PageHrefs[static_cast<size_t>(number - 1)]; };
  WideString bar;
  if (bottom) AddLine(bar, u"<br>");
  AddLine(bar, u"<Table Border=\"0\" Cellpadding=\"4\" Cellspacing=\"1\">");
  AddLine(bar, u"  <tr>");
  if (!links.IndexHref.empty()) AddLinkCell(bar, links.IndexHref, navigation.IndexLinkTitle);
  AddLinkCell(bar, href(1), navigation.FirstLinkTitle);
  AddLinkCell(bar, href(page == 1 ? count : page - 1), navigation.PriorLinkTitle);
  for (int i = 1; i <= count; ++i) {
    if (i == page)
      AddLine(bar, u"    <td><b>" + TwoDigits(i) + u"</b></td>");
    else
      AddLinkCell(bar, href(i), TwoDigits(i));
  }
  AddLinkCell(bar, href(page == count ? 1 : page + 1), navigation.NextLinkTitle);
  AddLinkCell(bar, href(count), navigation.LastLinkTitle);
  AddLine(bar, u"  </tr>");
  AddLine(bar, u"</Table>");
  if (!bottom) AddLine(bar, u"<br>");
  return bar;
}

void InsertIntoFile(const std::filesystem::path& file, int64_t topAt, std::string_view top, int64_t bottomAt,
                    std::string_view bottom) {
  if (topAt < 0) {
    topAt = bottomAt;
    top = {};
  }
  if (topAt < 0) return;
  if (bottomAt < 0) {
    bottomAt = topAt;
    bottom = {};
  }
  TFileStream stream(file, TFileStream::TMode::OpenWrite);
  const int64_t size = stream.Size();
  if (topAt > size || bottomAt > size || bottomAt < topAt) throw Exception("Navigation bar position outside " + file.string());
  std::string tail(static_cast<size_t>(size - topAt), '\0');
  stream.SetPosition(topAt);
  stream.ReadBuffer(tail.data(), tail.size());
  stream.SetPosition(topAt);
  const size_t middle = static_cast<size_t>(bottomAt - topAt);
  stream.Write(top);
  stream.Write(std::string_view(tail).substr(0, middle));
  stream.Write(bottom);
  stream.Write(std::string_view(tail).substr(middle));
  stream.Close();
}

}  // namespace verimo::html
