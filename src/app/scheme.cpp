// A colour scheme: background, and a colour and drawing pass per line category.
#include "app/scheme.h"

#include "app/numbers.h"
#include "settings/dictnode.h"

namespace tracewell {

std::shared_ptr<scheme> scheme::read(dictnode& node) {
  auto s = std::make_shared<scheme>();
  s->name = node.getvalue(u"scheme_name");
  s->actionspecial = tonumber(node.getvalue(u"action_is_special"));
  s->background = tonumber(node.getvalue(u"background_color"));
  for (const linecategory& c : linecategories) {
    const text color = node.getvalue(text(c.prefix) + u"color");
    const text order = node.getvalue(text(c.prefix) + u"order");
    if (!c.fallsback) {
      const auto i = static_cast<std::size_t>(c.number);
      s->colors[i] = tonumber(color);
      s->order[i] = tonumber(order);
      continue;
    }
    const auto i = static_cast<std::size_t>(c.number - linecolors);
    const std::uint32_t bit = std::uint32_t{1} << i;
    if (!color.empty()) {
      s->fallback.colors[i] = tonumber(color);
      s->fallback.colorgiven |= bit;
    }
    if (!order.empty()) {
      s->fallback.orders[i] = tonumber(order);
      s->fallback.ordergiven |= bit;
    }
  }
  s->style =
      linestyle::fromsettings(tonumber(node.getvalue(u"line_width")), tonumber(node.getvalue(u"antialias")));
  return s;
}

}  // namespace tracewell
