// The map page's viewer: zoom and pan over the inline drawing, the legend as layer switch, the details of
// what lies nearest the pointer (a grid index over the data, not the strokes), pinning by address, the
// checks' findings as links to what they point at.
(function () {
  'use strict';
  var data = JSON.parse(document.getElementById('tw-data').textContent);
  var view = document.getElementById('tw-view');
  var svg = view.querySelector('svg');
  var details = document.getElementById('tw-details');
  var NS = 'http://www.w3.org/2000/svg';
  var reach = 8;  // screen pixels within which the pointer finds a line or thing
  var W = data.size[0], H = data.size[1];
  var fit = data.fit;  // [ax, bx, ay, by, unit]: pixel = a * vertex unit + b
  var unit = fit[4];
  // Each table holds one array per column, a record's field at its number: lines.v1[i].
  var vx = data.vertices;
  var lines = data.lines, things = data.things, sectors = data.sectors || {floor: []};
  var nlines = lines.v1.length, nthings = things.x.length;
  var layers = data.layers;
  var hidden = [];
  // A diff's page lists its changes; its lines and things then carry their address and their change,
  // and are found by that address.
  var changes = data.changes || null;
  var byaddress = {};
  if (changes) {
    lines.address.forEach(function (a, i) { if (!(a in byaddress)) byaddress[a] = {kind: 'L', n: i}; });
    things.address.forEach(function (a, i) { byaddress[a] = {kind: 'T', n: i}; });
  }

  function px(x) { return fit[0] * x + fit[1]; }
  function py(y) { return fit[2] * y + fit[3]; }
  // A coordinate or height as the map writes it: vertex units to map units, up to 4 decimals.
  function num(v) { return String(Math.round(v / unit * 10000) / 10000); }

  // The view: `s` screen pixels per image pixel, (cx, cy) the image point at the centre.
  var state = {s: 1, cx: W / 2, cy: H / 2};
  // The view's place on screen, measured again only when the window changes: measuring forces a
  // layout, which a pointer move over a large drawing must not wait for.
  var rect = null;
  function box() { return rect || (rect = view.getBoundingClientRect()); }
  function fitscale() {
    var b = box();
    return Math.max(1e-6, Math.min(b.width / Math.max(W, 1), b.height / Math.max(H, 1)) * 0.96);
  }
  function apply() {
    var b = box();
    var w = b.width / state.s, h = b.height / state.s;
    svg.setAttribute('viewBox', [state.cx - w / 2, state.cy - h / 2, w, h].join(' '));
    if (marked && (marked.kind === 'T' || marked.kind === 'V')) mark(marked);  // the ring keeps its size on screen
  }
  function fitview() { state = {s: fitscale(), cx: W / 2, cy: H / 2}; apply(); }
  function limit(s) { var f = fitscale(); return Math.min(Math.max(s, f / 8), Math.max(f * 4096, 64)); }
  // Zooms by `k` keeping the image point under (x, y) of the view where it is.
  function zoom(k, x, y) {
    var b = box();
    if (x === undefined) { x = b.width / 2; y = b.height / 2; }
    var ux = state.cx + (x - b.width / 2) / state.s, uy = state.cy + (y - b.height / 2) / state.s;
    var s = limit(state.s * k);
    state = {s: s, cx: ux - (x - b.width / 2) / s, cy: uy - (y - b.height / 2) / s};
    apply();
  }
  function pan(dx, dy) { state.cx -= dx / state.s; state.cy -= dy / state.s; apply(); }
  // Actual size: one image pixel per screen pixel, the image's pixels on whole screen pixels.
  function actual() {
    var b = box();
    state = {s: 1, cx: Math.round(W / 2 - b.width / 2) + b.width / 2, cy: Math.round(H / 2 - b.height / 2) + b.height / 2};
    apply();
  }

  // The grid: every drawn line in each cell its segment crosses, every thing in its cell.
  var cell = Math.max(4, Math.sqrt(W * H / Math.max(1, nlines + nthings)) * 1.5);
  var cols = Math.max(1, Math.ceil(W / cell)), rows = Math.max(1, Math.ceil(H / cell));
  var seg = new Float64Array(nlines * 4);
  var tp = new Float64Array(nthings * 2);
  function cellsofline(i, visit) {
    var x0 = seg[4 * i], y0 = seg[4 * i + 1], x1 = seg[4 * i + 2], y1 = seg[4 * i + 3];
    var r0 = Math.floor(Math.min(y0, y1) / cell), r1 = Math.floor(Math.max(y0, y1) / cell);
    r0 = Math.max(r0, 0); r1 = Math.min(r1, rows - 1);
    for (var r = r0; r <= r1; ++r) {
      // The part of the segment within this row of cells.
      var ya = Math.max(r * cell, Math.min(y0, y1)), yb = Math.min((r + 1) * cell, Math.max(y0, y1));
      var xa, xb;
      if (y1 === y0) { xa = x0; xb = x1; } else {
        xa = x0 + (x1 - x0) * (ya - y0) / (y1 - y0);
        xb = x0 + (x1 - x0) * (yb - y0) / (y1 - y0);
      }
      var c0 = Math.max(0, Math.floor(Math.min(xa, xb) / cell)), c1 = Math.min(cols - 1, Math.floor(Math.max(xa, xb) / cell));
      for (var c = c0; c <= c1; ++c) visit(r * cols + c);
    }
  }
  function cellofthing(i) {
    var c = Math.floor(tp[2 * i] / cell), r = Math.floor(tp[2 * i + 1] / cell);
    return c < 0 || r < 0 || c >= cols || r >= rows ? -1 : r * cols + c;
  }
  // Items are numbered lines first, then things; each cell's items lie in one stretch of `items`.
  var start = new Int32Array(cols * rows + 1), items;
  (function build() {
    var i, n = nlines;
    for (i = 0; i < n; ++i) {
      var a = lines.v1[i], b = lines.v2[i];
      seg[4 * i] = px(vx.x[a]); seg[4 * i + 1] = py(vx.y[a]);
      seg[4 * i + 2] = px(vx.x[b]); seg[4 * i + 3] = py(vx.y[b]);
    }
    for (i = 0; i < nthings; ++i) { tp[2 * i] = px(things.x[i]); tp[2 * i + 1] = py(things.y[i]); }
    var count = function (k) { start[k + 1]++; };
    for (i = 0; i < n; ++i) if (lines.layer[i] >= 0) cellsofline(i, count);
    for (i = 0; i < nthings; ++i) if (things.layer[i] >= 0 && cellofthing(i) >= 0) start[cellofthing(i) + 1]++;
    for (i = 0; i < cols * rows; ++i) start[i + 1] += start[i];
    items = new Int32Array(start[cols * rows]);
    var fill = start.slice(0, cols * rows), id = 0;
    var put = function (k) { items[fill[k]++] = id; };
    for (i = 0; i < n; ++i) if (lines.layer[i] >= 0) { id = i; cellsofline(i, put); }
    for (i = 0; i < nthings; ++i) {
      var k = things.layer[i] >= 0 ? cellofthing(i) : -1;
      if (k >= 0) items[fill[k]++] = n + i;
    }
  })();
  var seen = new Int32Array(nlines + nthings), query = 0;

  function segdist2(i, x, y) {
    var x0 = seg[4 * i], y0 = seg[4 * i + 1], dx = seg[4 * i + 2] - x0, dy = seg[4 * i + 3] - y0;
    var d = dx * dx + dy * dy, t = d > 0 ? ((x - x0) * dx + (y - y0) * dy) / d : 0;
    t = Math.max(0, Math.min(1, t));
    var ex = x0 + t * dx - x, ey = y0 + t * dy - y;
    return ex * ex + ey * ey;
  }
  // What lies nearest image point (x, y) within `r` image pixels, on a shown layer: {kind, n} or null.
  function nearest(x, y, r) {
    var best = null, bestd = r * r, n = nlines;
    var c0 = Math.max(0, Math.floor((x - r) / cell)), c1 = Math.min(cols - 1, Math.floor((x + r) / cell));
    var r0 = Math.max(0, Math.floor((y - r) / cell)), r1 = Math.min(rows - 1, Math.floor((y + r) / cell));
    if (++query === 0x7fffffff) { seen.fill(0); query = 1; }
    for (var row = r0; row <= r1; ++row) {
      for (var c = c0; c <= c1; ++c) {
        var k = row * cols + c;
        for (var j = start[k]; j < start[k + 1]; ++j) {
          var id = items[j];
          if (seen[id] === query) continue;
          seen[id] = query;
          var d, layer;
          if (id < n) { layer = lines.layer[id]; d = segdist2(id, x, y); } else {
            layer = things.layer[id - n];
            var ex = tp[2 * (id - n)] - x, ey = tp[2 * (id - n) + 1] - y;
            d = ex * ex + ey * ey;
          }
          if (hidden[layer] || d > bestd) continue;
          // Ties go to things, which sit on top of the lines.
          if (d < bestd || (best && best.kind === 'L' && id >= n)) {
            bestd = d;
            best = id < n ? {kind: 'L', n: id} : {kind: 'T', n: id - n};
          }
        }
      }
    }
    return best;
  }

  // Details, written as text only: names from a WAD never become markup.
  function el(tag, text, cls) {
    var e = document.createElement(tag);
    if (text !== undefined) e.textContent = text;
    if (cls) e.className = cls;
    return e;
  }
  function rows_(title, pairs) {
    details.textContent = '';
    details.appendChild(el('h2', title));
    var dl = el('dl');
    pairs.forEach(function (p) {
      if (p[1] === null || p[1] === undefined || p[1] === '') return;
      dl.appendChild(el('dt', p[0]));
      var dd = el('dd');
      if (p[2] !== undefined) {
        // A sector named in the details selects that sector.
        var b = el('button', String(p[1]), 'tw-link');
        b.type = 'button';
        b.addEventListener('click', function () { pin({kind: 'S', n: p[2]}); centre(pinned); });
        dd.appendChild(b);
      } else {
        dd.textContent = String(p[1]);
      }
      dl.appendChild(dd);
    });
    details.appendChild(dl);
  }
  function bits(mask, names) {
    var out = [];
    for (var b = 0; b < names.length; ++b) if (mask & (1 << b)) out.push(names[b]);
    return out;
  }
  function point(x, y) { return '(' + num(x) + ', ' + num(-y) + ')'; }
  // A thing type by its name where the game's tables give one, else by its editor number.
  var typenames = data.typenames || {};
  function typename(t) { return typenames[t] || String(t); }
  function layername(layer) { return layer >= 0 ? layers[layer].name : 'not drawn'; }
  // Every line with sector `s` on a side.
  function linesof(s, visit) {
    for (var i = 0; i < nlines; ++i) if (lines.front[i] === s || lines.back[i] === s) visit(i);
  }
  function side(sec) {
    if (sec < 0) return null;
    return 'sector ' + sec + ': floor ' + sectors.floor[sec] + ', ceiling ' + sectors.ceiling[sec] +
      ', special ' + sectors.special[sec];
  }
  function describeline(i) {
    var a = lines.v1[i], b = lines.v2[i], special = lines.special[i];
    var ax = vx.x[a], ay = vx.y[a], bx = vx.x[b], by = vx.y[b];
    var front = lines.front[i], back = lines.back[i];
    // The special with what it means in play; its other meanings come from its flags and sectors.
    var words = [], other = [];
    data.meanings.forEach(function (m, bit) {
      if (lines.meanings[i] & (1 << bit)) (m[1] && special != 0 ? words : other).push(m[0]);
    });
    if (special != 0 && words.length === 0) words.push('action');
    rows_('Linedef ' + i, [
      ['from', point(ax, ay)], ['to', point(bx, by)],
      ['length', num(Math.sqrt((bx - ax) * (bx - ax) + (by - ay) * (by - ay)))],
      ['flags', bits(lines.flags[i], data.flagnames).join(', ') || 'none'],
      ['special', special == 0 ? '0' : special + ' (' + words.join(', ') + ')'], ['meaning', other.join(', ')],
      lines.args ? ['arguments', lines.args[i].join(', ')] : ['tag', lines.tag[i]],
      ['front', side(front), front >= 0 ? front : undefined], ['back', side(back), back >= 0 ? back : undefined],
      ['layer', layername(lines.layer[i])]]);
  }
  function describething(i) {
    var skills = [];
    for (var b = 0; b < 5; ++b) if (things.skills[i] & (1 << b)) skills.push(b + 1);
    rows_('Thing ' + i, [
      ['type', typename(things.type[i]) + (typenames[things.type[i]] ? ' (' + things.type[i] + ')' : '')], ['kind', data.kinds[things.kind[i]]], ['position', point(things.x[i], things.y[i])],
      ['angle', things.angle[i]], ['skill levels', skills.join(' ') || 'none'],
      ['modes', bits(things.modes[i], data.modenames).join(', ') || 'none'], ['layer', layername(things.layer[i])]]);
  }
  function describevertex(i) {
    rows_('Vertex ' + i, [['position', point(vx.x[i], vx.y[i])]]);
  }
  function describesector(i) {
    var n = 0;
    linesof(i, function () { ++n; });
    rows_('Sector ' + i, [
      ['floor', sectors.floor[i]], ['ceiling', sectors.ceiling[i]], ['special', sectors.special[i]], ['lines', n]]);
  }
  // A change: its old and new properties side by side, those that differ marked.
  function describechange(title, k) {
    var c = changes[k];
    details.textContent = '';
    details.appendChild(el('h2', title + ' ' + c.kind));
    var t = el('table', undefined, 'tw-compare'), head = el('tr');
    ['', 'old', 'new'].forEach(function (h) { head.appendChild(el('th', h)); });
    t.appendChild(head);
    c.properties.forEach(function (p) {
      var tr = el('tr', undefined, p[3] ? 'tw-differs' : undefined);
      tr.appendChild(el('th', p[0]));
      [p[1], p[2]].forEach(function (v) {
        var td = el('td');
        td.appendChild(el(p[3] ? 'strong' : 'span', v === null ? '\u2014' : v));
        tr.appendChild(td);
      });
      t.appendChild(tr);
    });
    details.appendChild(t);
  }
  function describediff(sel) {
    var table = sel.kind === 'L' ? lines : things;
    var id = table.address[sel.n], k = table.change[sel.n];
    var title = (/^[Ll]/.test(id) ? 'Linedef ' : 'Thing ') + id.slice(1) + (/^[lt]/.test(id) ? ' (old)' : '');
    if (k >= 0) describechange(title, k); else rows_(title, [['layer', layername(table.layer[sel.n])]]);
  }
  function clear() {
    details.textContent = '';
    details.appendChild(el('p', 'Point at a line or thing for its details; click to pin it.', 'tw-hint'));
  }

  // The highlight of the selection, drawn above the map in an overlay group.
  var overlay = document.createElementNS(NS, 'g');
  overlay.setAttribute('class', 'tw-overlay');
  svg.appendChild(overlay);
  var marked = null;
  function mark(sel) {
    marked = sel;
    overlay.textContent = '';
    if (!sel) return;
    var d = '';
    if (sel.kind === 'L') d = 'M' + seg[4 * sel.n] + ' ' + seg[4 * sel.n + 1] + 'L' + seg[4 * sel.n + 2] + ' ' + seg[4 * sel.n + 3];
    if (sel.kind === 'S') {
      linesof(sel.n, function (i) {
        d += 'M' + seg[4 * i] + ' ' + seg[4 * i + 1] + 'L' + seg[4 * i + 2] + ' ' + seg[4 * i + 3];
      });
    }
    if (sel.kind === 'T' || sel.kind === 'V') {
      var at = spot(sel), c = document.createElementNS(NS, 'circle');
      c.setAttribute('cx', at[0]); c.setAttribute('cy', at[1]); c.setAttribute('r', 6 / state.s);
      overlay.appendChild(c);
      return;
    }
    var p = document.createElementNS(NS, 'path');
    p.setAttribute('d', d || 'M0 0');
    overlay.appendChild(p);
  }
  // Where a thing or vertex lies in the image.
  function spot(sel) {
    return sel.kind === 'T' ? [tp[2 * sel.n], tp[2 * sel.n + 1]] : [px(vx.x[sel.n]), py(vx.y[sel.n])];
  }
  function valid(sel) {
    if (!sel) return false;
    var count = {L: nlines, T: nthings, S: sectors.floor.length, V: vx.x.length}[sel.kind];
    return sel.n >= 0 && sel.n < count;
  }
  function show(sel) {
    if (!valid(sel)) { clear(); mark(null); return; }
    if (changes && sel.kind !== 'S') describediff(sel);
    else if (sel.kind === 'L') describeline(sel.n);
    else if (sel.kind === 'T') describething(sel.n);
    if (sel.kind === 'S') describesector(sel.n);
    if (sel.kind === 'V') describevertex(sel.n);
    mark(sel);
  }
  var pinned = null;
  function fragment(sel) {
    if (!sel) return '';
    if (changes && sel.kind !== 'S') return '#' + (sel.kind === 'L' ? lines : things).address[sel.n];
    return '#' + sel.kind + sel.n;
  }
  function pin(sel) {
    pinned = valid(sel) ? sel : null;
    show(pinned);
    var url = location.href.split('#')[0] + fragment(pinned);
    try { history.replaceState(null, '', url); } catch (e) { location.hash = fragment(pinned); }
  }
  // Centres the view on a selection, zoomed in enough to tell it apart but never cutting it.
  function centre(sel) {
    var xs = [], ys = [];
    var addline = function (i) { xs.push(seg[4 * i], seg[4 * i + 2]); ys.push(seg[4 * i + 1], seg[4 * i + 3]); };
    if (sel.kind === 'L') addline(sel.n);
    if (sel.kind === 'T' || sel.kind === 'V') { var at = spot(sel); xs.push(at[0]); ys.push(at[1]); }
    if (sel.kind === 'S') linesof(sel.n, addline);
    if (!xs.length) return;
    var x0 = Math.min.apply(null, xs), x1 = Math.max.apply(null, xs), y0 = Math.min.apply(null, ys), y1 = Math.max.apply(null, ys);
    var b = box();
    var s = Math.min(fitscale() * 4, b.width / 2 / Math.max(x1 - x0, 1e-9), b.height / 2 / Math.max(y1 - y0, 1e-9));
    state = {s: limit(Math.max(s, fitscale())), cx: (x0 + x1) / 2, cy: (y0 + y1) / 2};
    apply();
  }
  function fromaddress() {
    var m = /^#([LTSVlt])(\d+)$/.exec(location.hash);
    if (!m) return;
    var sel = changes ? byaddress[m[1] + m[2]] : {kind: m[1], n: parseInt(m[2], 10)};
    if (!valid(sel)) return;
    pinned = sel;
    show(sel);
    centre(sel);
  }

  // The legend: one switch per layer, with its swatch, name and count.
  (function legend() {
    var list = document.getElementById('tw-legend');
    layers.forEach(function (layer, i) {
      var b = el('button');
      b.type = 'button';
      b.setAttribute('aria-pressed', 'true');
      b.dataset.layer = layer.cls;
      var sw = el('span', undefined, 'tw-swatch');
      sw.style.backgroundColor = layer.color;
      sw.style.opacity = layer.opacity;
      b.appendChild(sw);
      b.appendChild(el('span', layer.name, 'tw-name'));
      b.appendChild(el('span', String(layer.count), 'tw-count'));
      var shapes = null;
      b.addEventListener('click', function () {
        shapes = shapes || svg.querySelectorAll('.' + CSS.escape(layer.cls));
        hidden[i] = !hidden[i];
        b.setAttribute('aria-pressed', hidden[i] ? 'false' : 'true');
        for (var k = 0; k < shapes.length; ++k) shapes[k].style.display = hidden[i] ? 'none' : '';
      });
      var li = el('li');
      li.appendChild(b);
      list.appendChild(li);
    });
  })();

  // The list of changes, when the page has one: each selects and centres what it names.
  (function changelist() {
    var list = document.getElementById('tw-changes');
    if (!changes || !list) return;
    changes.forEach(function (c) {
      var sel = byaddress[c.id];
      if (!sel) return;
      var what = c.properties.filter(function (p) { return p[3]; }).map(function (p) { return p[0]; });
      var b = el('button', c.record + ' ' + c.id.slice(1) + ' ' + c.kind + (what.length ? ': ' + what.join(', ') : ''), 'tw-link');
      b.type = 'button';
      b.dataset.address = c.id;
      b.addEventListener('click', function () { pin(sel); centre(sel); });
      var li = el('li');
      li.appendChild(b);
      list.appendChild(li);
    });
  })();

  // The checks' findings, in address order: each one that points somewhere selects and centres it.
  (function findinglist() {
    var list = document.getElementById('tw-findings'), f = data.findings;
    if (!list || !f) return;
    if (!f.code.length) list.appendChild(el('li', 'none', 'tw-hint'));
    f.code.forEach(function (code, i) {
      var words = f.severity[i] + ': ' + f.message[i] + ' [' + code + ']', m = /^([LSTV])(\d+)$/.exec(f.address[i]);
      var li = el('li', undefined, 'tw-' + f.severity[i]);
      if (m) {
        var sel = {kind: m[1], n: parseInt(m[2], 10)};
        var b = el('button', f.address[i] + ' ' + words, 'tw-link');
        b.type = 'button';
        b.dataset.address = f.address[i];
        b.addEventListener('click', function () { pin(sel); if (pinned) centre(pinned); });
        li.appendChild(b);
      } else {
        li.textContent = words;
      }
      list.appendChild(li);
    });
  })();

  // The statistics: the counts, things per skill and mode, each skill group's and mode's balance, monsters
  // and items by type.
  (function statistics() {
    var box_ = document.getElementById('tw-stats');
    var dl = el('dl');
    data.stats.forEach(function (p) {
      if (p[1] === null) return;
      dl.appendChild(el('dt', p[0]));
      dl.appendChild(el('dd', String(p[1])));
    });
    box_.appendChild(dl);
    if (data.skills) {
      var t = el('table'), head = el('tr');
      ['things', 'skills 1–2', 'skill 3', 'skills 4–5'].forEach(function (h) { head.appendChild(el('th', h)); });
      t.appendChild(head);
      Object.keys(data.skills).forEach(function (mode) {
        var tr = el('tr');
        tr.appendChild(el('th', mode));
        data.skills[mode].forEach(function (v) { tr.appendChild(el('td', String(v))); });
        t.appendChild(tr);
      });
      box_.appendChild(t);
    }
    if (data.cells) {
      // A row per field under each mode; what the game's tables do not give shows as a dash.
      var c = el('table', undefined, 'tw-cells'), top = el('tr');
      ['skills', '1–2', '3', '4–5'].forEach(function (h) { top.appendChild(el('th', h)); });
      c.appendChild(top);
      data.cells.values.forEach(function (groups, mode) {
        var group = el('tr'), th = el('th', data.modenames[mode]);
        th.colSpan = 4;
        group.appendChild(th);
        c.appendChild(group);
        data.cells.fields.forEach(function (field, k) {
          var tr = el('tr');
          tr.appendChild(el('th', field));
          groups.forEach(function (cell) {
            var v = cell[k];
            tr.appendChild(el('td', v === null ? '\u2014' : String(Math.round(v * 100) / 100)));
          });
          c.appendChild(tr);
        });
      });
      box_.appendChild(el('h3', 'per skill and mode'));
      box_.appendChild(c);
    }
    [['monsters by type', data.monster_types], ['items by type', data.item_types]].forEach(function (p) {
      if (!p[1] || !Object.keys(p[1]).length) return;
      box_.appendChild(el('h3', p[0]));
      box_.appendChild(el('p', Object.keys(p[1]).map(function (k) { return typename(k) + ' × ' + p[1][k]; }).join(', '), 'tw-types'));
    });
  })();

  // The pointer: hover shows, a click pins, a drag pans, the wheel zooms at the pointer.
  var drag = null;
  function local(e) { var b = box(); return {x: e.clientX - b.left, y: e.clientY - b.top, b: b}; }
  function under(e) {
    var p = local(e);
    return nearest(state.cx + (p.x - p.b.width / 2) / state.s, state.cy + (p.y - p.b.height / 2) / state.s, reach / state.s);
  }
  view.addEventListener('pointerdown', function (e) {
    if (e.button !== 0 || e.target.closest('button')) return;
    drag = {x: e.clientX, y: e.clientY, moved: false, id: e.pointerId};
  });
  view.addEventListener('pointermove', function (e) {
    if (drag && drag.id === e.pointerId) {
      var dx = e.clientX - drag.x, dy = e.clientY - drag.y;
      if (drag.moved || Math.abs(dx) + Math.abs(dy) > 3) {
        if (!drag.moved) { try { view.setPointerCapture(e.pointerId); } catch (err) { /* capture is optional */ } }
        drag.moved = true;
        drag.x = e.clientX; drag.y = e.clientY;
        pan(dx, dy);
        view.classList.add('tw-dragging');
      }
      return;
    }
    if (!pinned) show(under(e));
  });
  window.addEventListener('pointerup', function (e) {
    if (!drag || drag.id !== e.pointerId) return;
    var wasdrag = drag.moved;
    drag = null;
    view.classList.remove('tw-dragging');
    if (!wasdrag && view.contains(e.target) && !e.target.closest('button')) pin(under(e));
  });
  view.addEventListener('pointerleave', function () { if (!pinned && !drag) show(null); });
  view.addEventListener('wheel', function (e) {
    e.preventDefault();
    var p = local(e);
    var step = e.deltaMode === 1 ? e.deltaY * 16 : e.deltaMode === 2 ? e.deltaY * 400 : e.deltaY;
    zoom(Math.pow(2, -step / 300), p.x, p.y);
  }, {passive: false});
  document.getElementById('tw-zoomin').addEventListener('click', function () { zoom(1.5); });
  document.getElementById('tw-zoomout').addEventListener('click', function () { zoom(1 / 1.5); });
  document.getElementById('tw-fit').addEventListener('click', fitview);
  document.addEventListener('keydown', function (e) {
    if (e.ctrlKey || e.metaKey || e.altKey || /^(INPUT|TEXTAREA|SELECT)$/.test(e.target.tagName)) return;
    var step = 64, keys = {
      '+': function () { zoom(1.5); }, '=': function () { zoom(1.5); }, '-': function () { zoom(1 / 1.5); },
      '0': fitview, '1': actual, 'Escape': function () { pin(null); },
      'ArrowLeft': function () { pan(step, 0); }, 'ArrowRight': function () { pan(-step, 0); },
      'ArrowUp': function () { pan(0, step); }, 'ArrowDown': function () { pan(0, -step); }
    };
    if (!keys[e.key]) return;
    e.preventDefault();
    keys[e.key]();
  });
  window.addEventListener('resize', function () { rect = null; apply(); });
  window.addEventListener('hashchange', fromaddress);

  fitview();
  clear();
  fromaddress();
  document.documentElement.classList.add('tw-ready');
  if (window.performance && performance.mark) performance.mark('tw-ready');  // for the benchmark
})();
