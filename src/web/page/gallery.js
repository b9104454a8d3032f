// The gallery's filter: cards whose input or map name holds the typed text stay, the rest hide; with the
// errors switch (when the run checked its maps), only cards of maps with errors stay.
(function () {
  'use strict';
  var box = document.getElementById('tw-filter');
  var sections = document.querySelectorAll('.tw-input');
  var shown = document.getElementById('tw-shown');
  var errorsonly = document.getElementById('tw-errors');
  function narrow() {
    var want = box.value.trim().toLowerCase(), total = 0, errors = errorsonly && errorsonly.checked;
    for (var i = 0; i < sections.length; ++i) {
      var s = sections[i], cards = s.querySelectorAll('.tw-card'), any = false;
      var input = (s.getAttribute('data-input') || '').toLowerCase();
      var whole = want === '' || input.indexOf(want) >= 0;
      for (var k = 0; k < cards.length; ++k) {
        var keep = (whole || (cards[k].getAttribute('data-map') || '').toLowerCase().indexOf(want) >= 0) &&
          (!errors || Number(cards[k].getAttribute('data-errors')) > 0);
        cards[k].hidden = !keep;
        if (keep) { any = true; ++total; }
      }
      s.hidden = !(any || (whole && !errors));
    }
    shown.textContent = String(total);
  }
  box.addEventListener('input', narrow);
  if (errorsonly) errorsonly.addEventListener('change', narrow);
  narrow();
})();
