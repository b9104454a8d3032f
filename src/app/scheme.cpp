// A colour scheme: background, a colour and drawing pass per line category, and the thing markers.
#include "app/scheme.h"

#include "app/numbers.h"
#include "settings/dictnode.h"

namespace tracewell {

std::shared_ptr<scheme> scheme::read(dictnode& node) {
  auto made = std::make_shared<scheme>();
  made->name = node.getvalue(u"scheme_name");
  schemelook& s = made->look;
  s.actionspecial = tonumber(node.getvalue(u"action_is_special"));
  s.background = tonumber(node.getvalue(u"background_color"));
  for (const linecategory& c : linecategories) {
    const text color = node.getvalue(text(c.prefix) + u"color");
    const text order = node.getvalue(text(c.prefix) + u"order");
    if (!c.fallsback) {
      const auto i = static_cast<std::size_t>(c.number);
      s.colors[i] = tonumber(color);
      s.orders[i] = tonumber(order);
      continue;
    }
    const auto i = static_cast<std::size_t>(c.number - linecolors);
    const std::uint32_t bit = std::uint32_t{1} << i;
    if (!color.empty()) {
      s.fallback.colors[i] = tonumber(color);
      s.fallback.colorgiven |= bit;
    }
    if (!order.empty()) {
      s.fallback.orders[i] = tonumber(order);
      s.fallback.ordergiven |= bit;
    }
  }
  s.style =
      linestyle::fromsettings(tonumber(node.getvalue(u"line_width")), tonumber(node.getvalue(u"antialias")));
  // A thing colour counts only when written, so older schemes keep their images.
  for (const thingkindlook& k : thingkindlooks) {
    const text key(k.colorkey);
    if (node.hasvalue(key) != 0)
      s.things.colors[static_cast<std::size_t>(k.kind)] = tonumber(node.getvalue(key));
  }
  // A diff's colours: a key the scheme lacks keeps its built-in colour.
  for (const diffmarklook& m : diffmarklooks) {
    const text key(m.colorkey);
    if (node.hasvalue(key) != 0) s.diff[static_cast<std::size_t>(m.mark)] = tonumber(node.getvalue(key));
  }
  s.things.skill = tonumber(node.getvalue(u"thing_skill"));
  s.things.multiplayer = tonumber(node.getvalue(u"thing_multiplayer"));
  return made;
}

}  // namespace tracewell
