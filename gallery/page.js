// The gallery's behaviour: the filter over the atlas paths and the viewer.
// Names reach the page only as text nodes: the data below is read with
// JSON.parse and shown through textContent, never as markup.
(function () {
  'use strict';
  var atlases = JSON.parse(document.getElementById('atlas-data').textContent);
  var cards = Array.prototype.slice.call(document.querySelectorAll('.card'));
  var sections = Array.prototype.slice.call(document.querySelectorAll('.packet'));
  var paths = cards.map(function (card) {
    return card.querySelector('.path').textContent.toLowerCase();
  });
  var filter = document.getElementById('filter');
  var count = document.getElementById('count');

  function applyFilter() {
    var wanted = filter.value.toLowerCase();
    var shown = 0;
    for (var i = 0; i < cards.length; ++i) {
      var match = paths[i].indexOf(wanted) !== -1;
      cards[i].hidden = !match;
      if (match) {
        ++shown;
      }
    }
    sections.forEach(function (section) {
      section.hidden = section.querySelector('.card:not([hidden])') === null && wanted !== '';
    });
    count.textContent = shown + ' / ' + cards.length;
  }
  filter.addEventListener('input', applyFilter);
  applyFilter();

  var viewer = document.getElementById('viewer');
  var stage = document.getElementById('viewer-stage');
  var image = document.getElementById('viewer-image');
  var name = document.getElementById('viewer-name');
  var info = document.getElementById('viewer-info');
  var openLink = document.getElementById('viewer-open');
  var current = null; // the card shown
  var zoom = 'fit';
  var lastFocus = null;

  function layout() {
    if (current === null) {
      return;
    }
    var atlas = atlases[Number(current.dataset.index)];
    var scale;
    if (zoom === 'fit') {
      scale = Math.min(stage.clientWidth / atlas.w, stage.clientHeight / atlas.h);
      // Past 1 only by whole steps, so enlarged pixels stay square.
      if (scale > 1) {
        scale = Math.floor(scale);
      }
    } else {
      scale = Number(zoom);
    }
    image.style.width = atlas.w * scale + 'px';
    image.style.height = atlas.h * scale + 'px';
    image.classList.toggle('pixelated', scale > 1);
    info.textContent = atlas.w + ' × ' + atlas.h + ' · ' + atlas.f + ' · ' + atlas.b + ' · ' +
      (Math.round(scale * 100) + '%');
    markChoice('data-zoom', zoom);
  }

  function markChoice(attribute, value) {
    viewer.querySelectorAll('[' + attribute + ']').forEach(function (button) {
      button.classList.toggle('on', button.getAttribute(attribute) === value);
    });
  }

  function show(card) {
    current = card;
    var atlas = atlases[Number(card.dataset.index)];
    image.src = atlas.u;
    openLink.href = atlas.u;
    name.textContent = atlas.n;
    if (viewer.hidden) {
      lastFocus = document.activeElement;
      viewer.hidden = false;
      document.getElementById('viewer-close').focus();
    }
    layout();
  }

  function close() {
    viewer.hidden = true;
    image.removeAttribute('src');
    current = null;
    if (lastFocus !== null) {
      lastFocus.focus();
    }
  }

  // The neighbour of the card shown among the written atlases the filter shows.
  function step(direction) {
    var viewable = cards.filter(function (card) {
      return !card.hidden && card.dataset.index !== undefined;
    });
    if (viewable.length === 0) {
      return;
    }
    var at = viewable.indexOf(current);
    var next = at === -1 ? 0 : (at + direction + viewable.length) % viewable.length;
    show(viewable[next]);
  }

  cards.forEach(function (card) {
    if (card.dataset.index === undefined) {
      return;
    }
    card.addEventListener('click', function (event) {
      if (event.button !== 0 || event.ctrlKey || event.metaKey || event.shiftKey) {
        return; // a new tab or window for the PNG itself
      }
      event.preventDefault();
      show(card);
    });
  });
  viewer.querySelectorAll('[data-zoom]').forEach(function (button) {
    button.addEventListener('click', function () {
      zoom = button.getAttribute('data-zoom');
      layout();
    });
  });
  viewer.querySelectorAll('[data-background]').forEach(function (button) {
    button.addEventListener('click', function () {
      var background = button.getAttribute('data-background');
      stage.className = 'viewer-stage ' + background;
      markChoice('data-background', background);
    });
  });
  markChoice('data-background', 'checker');
  document.getElementById('viewer-previous').addEventListener('click', function () { step(-1); });
  document.getElementById('viewer-next').addEventListener('click', function () { step(1); });
  document.getElementById('viewer-close').addEventListener('click', close);
  window.addEventListener('resize', layout);
  document.addEventListener('keydown', function (event) {
    if (viewer.hidden) {
      return;
    }
    if (event.key === 'Escape') {
      close();
    } else if (event.key === 'ArrowLeft' || event.key === 'ArrowUp') {
      step(-1);
    } else if (event.key === 'ArrowRight' || event.key === 'ArrowDown') {
      step(1);
    } else {
      return;
    }
    event.preventDefault();
  });
}());
