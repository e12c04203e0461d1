// The page of `pathweave map`: draws the data of #network-data with Leaflet on one canvas. Each link
// node is drawn once (its fence box and point) however many journeys pass it; each journey is a
// line of arrows in travelling order, numbered when the journey is selected; the non-journey
// points have their own style; the findings lie on the nodes they concern; a replayed track comes
// with its events. Once drawn, the page writes what it drew into #self-check, for its tests and
// benchmark (docs/map.md).
(function () {
  'use strict';

  const data = JSON.parse(document.getElementById('network-data').textContent);
  const nodes = data.nodes;
  const journeys = data.journeys;
  const points = data.nonJourneyPoints;

  const severityColours = {error: '#c62828', warning: '#ef6c00', info: '#1565c0'};
  const eventColours = {
    arrived: '#2e7d32',
    departed: '#9e9e9e',
    passed: '#00897b',
    skipped: '#c62828',
    repeated: '#ad1457',
    'off journey': '#6d4c41',
    'back on journey': '#6d4c41',
    completed: '#283593',
    enter: '#00838f',
    leave: '#80deea',
  };

  function escapeHtml(text) {
    const entities = {'&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;'};
    return String(text).replace(/[&<>"']/g, (c) => entities[c]);
  }

  // Colours far apart on the hue circle for neighbouring journeys.
  function colourOf(j) {
    return 'hsl(' + Math.round((j * 137.508) % 360) + ', 70%, 38%)';
  }

  function cueName(index) {
    return index >= 0 ? data.cues[index] : null;
  }

  // Where a node is marked: its point, else the centre of its box; null when it has neither.
  function placeOf(node) {
    if (node.point) {
      return node.point;
    }
    return node.box ? [(node.box[0] + node.box[2]) / 2, (node.box[1] + node.box[3]) / 2] : null;
  }

  function extend(bounds, node) {
    if (node.box) {
      bounds.extend([node.box[0], node.box[1]]).extend([node.box[2], node.box[3]]);
    }
    if (node.point) {
      bounds.extend(node.point);
    }
    return bounds;
  }

  // Which journeys pass each node and at which position; which nodes are non-journey points.
  const uses = nodes.map(() => []);
  journeys.forEach((journey, j) => journey.nodes.forEach((n, k) => uses[n].push({j: j, k: k})));
  const isPoint = nodes.map(() => false);
  if (points) {
    points.nodes.forEach((n) => {
      isPoint[n] = true;
    });
  }

  // The journeys a finding counts for: its own, or every journey that passes its nodes.
  const journeyIndex = new Map(journeys.map((journey, j) => [journey.id, j]));
  function findingJourneys(finding) {
    if (finding.journey !== undefined) {
      return new Set([journeyIndex.get(finding.journey)]);
    }
    return new Set([].concat(...finding.nodes.map((n) => uses[n].map((use) => use.j))));
  }
  const findingsOfNode = nodes.map(() => []);
  const findingCounts = journeys.map(() => 0);
  const worstFinding = journeys.map(() => 'info');
  const rank = {info: 0, warning: 1, error: 2};
  data.findings.forEach((finding, i) => {
    finding.nodes.forEach((n) => findingsOfNode[n].push(i));
    findingJourneys(finding).forEach((j) => {
      findingCounts[j]++;
      if (rank[finding.severity] > rank[worstFinding[j]]) {
        worstFinding[j] = finding.severity;
      }
    });
  });

  function nodeHtml(n) {
    const node = nodes[n];
    const lines = ['<dl class="pw-tip"><dt>' + escapeHtml(node.id) + '</dt>'];
    lines.push('<dd>point ' + (node.point ? node.point.join(', ') : 'none') + '</dd>');
    lines.push(
      '<dd>box ' +
        (node.box ? node.box[0] + ' to ' + node.box[2] + ', ' + node.box[1] + ' to ' + node.box[3] : 'none') +
        '</dd>'
    );
    const cues = node.cues.map(cueName).filter((name) => name !== null);
    lines.push('<dd>cues ' + (cues.length ? escapeHtml(cues.join(', ')) : 'none') + '</dd>');
    uses[n].forEach((use) => {
      const journey = journeys[use.j];
      const transition = cueName(journey.transitions[use.k]);
      lines.push('<dt>' + escapeHtml(journey.id) + ' #' + (use.k + 1) + '</dt>');
      lines.push(
        '<dd>distance ' +
          escapeHtml(journey.distances[use.k]) +
          ', transition cue ' +
          (transition !== null ? escapeHtml(transition) : 'none') +
          '</dd>'
      );
    });
    if (isPoint[n]) {
      lines.push('<dt>non-journey point of ' + escapeHtml(points.id) + '</dt>');
    }
    findingsOfNode[n].forEach((i) => {
      const finding = data.findings[i];
      lines.push('<dd>' + finding.severity + ' ' + finding.code + '</dd>');
    });
    return lines.join('') + '</dl>';
  }

  // The view first: Leaflet draws paths only on a map with one.
  const all = L.latLngBounds([]);
  nodes.forEach((node) => extend(all, node));
  if (data.track) {
    data.track.fixes.forEach((fix) => all.extend([fix[1], fix[2]]));
  }
  const map = L.map('map', {zoomSnap: 0.25});
  if (all.isValid()) {
    map.fitBounds(all, {padding: [20, 20], maxZoom: 17});
  } else {
    map.setView([0, 0], 2);
  }
  const renderer = L.canvas({padding: 0.3});
  L.control.scale({imperial: false, maxWidth: 150}).addTo(map);
  if (data.tiles) {
    const host = data.tiles.url.replace(/^[a-z]+:\/\/([^/]+).*$/i, '$1');
    const credit = data.tiles.credit || 'Tiles: ' + host;
    L.tileLayer(data.tiles.url, {maxZoom: 19, attribution: escapeHtml(credit)}).addTo(map);
  }

  // One tooltip for whatever the pointer is on, and a popup on click: no tooltip per layer.
  const hover = L.tooltip({direction: 'top', offset: [0, -8]});
  function explain(group, html) {
    group.on('mouseover', (e) => map.openTooltip(hover.setContent(html(e.layer)), e.latlng));
    group.on('mouseout', () => map.closeTooltip(hover));
    group.on('click', (e) => L.popup().setLatLng(e.latlng).setContent(html(e.layer)).openOn(map));
    return group.addTo(map);
  }
  const nodeHtmlOf = (layer) => nodeHtml(layer.options.pwNode);

  // Painted in this order: fences, then arrows, points, findings and the track on top.
  const fenceStyle = {renderer: renderer, weight: 1, color: '#37474f', fillColor: '#90a4ae', fillOpacity: 0.25};
  const pointFenceStyle = {
    renderer: renderer,
    weight: 1,
    color: '#00838f',
    dashArray: '4 3',
    fillColor: '#80deea',
    fillOpacity: 0.2,
  };
  const fences = L.featureGroup();
  nodes.forEach((node, n) => {
    if (node.box) {
      const style = uses[n].length ? fenceStyle : pointFenceStyle;
      const corners = [
        [node.box[0], node.box[1]],
        [node.box[2], node.box[3]],
      ];
      fences.addLayer(L.rectangle(corners, Object.assign({pwKind: 'box', pwNode: n}, style)));
    }
  });
  explain(fences, nodeHtmlOf);

  // An arrow head halfway along the leg from a to b, sized to the leg up to about 70 m.
  function arrowHead(a, b) {
    const k = Math.cos((a[0] * Math.PI) / 180);
    const dx = (b[1] - a[1]) * k;
    const dy = b[0] - a[0];
    const length = Math.hypot(dx, dy);
    const size = Math.min(length * 0.3, 0.0006);
    const ux = dx / length;
    const uy = dy / length;
    const tip = [(a[0] + b[0]) / 2 + (uy * size) / 2, (a[1] + b[1]) / 2 + (ux * size) / 2 / k];
    const side = (angle) => {
      const x = ux * Math.cos(angle) - uy * Math.sin(angle);
      const y = ux * Math.sin(angle) + uy * Math.cos(angle);
      return [tip[0] - y * size, tip[1] - (x * size) / k];
    };
    return [side(0.45), tip, side(-0.45)];
  }

  function legsOf(journey) {
    const lines = [];
    let last = null;
    journey.nodes.forEach((n) => {
      const at = placeOf(nodes[n]);
      if (at && last && (at[0] !== last[0] || at[1] !== last[1])) {
        lines.push([last, at], arrowHead(last, at));
      }
      last = at || last;
    });
    return lines;
  }

  const arrows = L.featureGroup();
  const arrowLayers = journeys.map((journey, j) => {
    const lines = legsOf(journey);
    const layer = L.polyline(lines, {
      renderer: renderer,
      color: colourOf(j),
      weight: 2,
      opacity: 0.85,
      pwKind: 'arrows',
      pwJourney: j,
      pwLegs: lines.length / 2,
    });
    arrows.addLayer(layer);
    return layer;
  });
  explain(arrows, (layer) => 'journey ' + escapeHtml(journeys[layer.options.pwJourney].id));
  arrows.on('click', (e) => select(e.layer.options.pwJourney, false));

  const markers = L.featureGroup();
  nodes.forEach((node, n) => {
    if (node.point) {
      const own = uses[n].length === 0;
      markers.addLayer(
        L.circleMarker(node.point, {
          renderer: renderer,
          radius: own ? 4 : 3.5,
          weight: 1.5,
          color: own ? '#00838f' : '#263238',
          fillColor: own ? '#b2ebf2' : '#fff',
          fillOpacity: 1,
          pwKind: 'point',
          pwNode: n,
        })
      );
    }
  });
  explain(markers, nodeHtmlOf);

  // A finding on two fences is their overlap; one on a node is a ring around it.
  function findingLayer(finding, i) {
    const colour = severityColours[finding.severity];
    const style = {renderer: renderer, color: colour, pwKind: 'finding', pwFinding: i};
    const boxes = finding.nodes.map((n) => nodes[n].box);
    if (boxes.length === 2 && boxes[0] && boxes[1]) {
      const south = Math.max(boxes[0][0], boxes[1][0]);
      const west = Math.max(boxes[0][1], boxes[1][1]);
      const north = Math.min(boxes[0][2], boxes[1][2]);
      const east = Math.min(boxes[0][3], boxes[1][3]);
      if (south <= north && west <= east) {
        const corners = [
          [south, west],
          [north, east],
        ];
        return L.rectangle(corners, Object.assign({weight: 2, fillColor: colour, fillOpacity: 0.45}, style));
      }
    }
    const at = placeOf(nodes[finding.nodes[0]]);
    return at ? L.circleMarker(at, Object.assign({radius: 10, weight: 3, fill: false}, style)) : null;
  }
  function findingHtml(i) {
    const finding = data.findings[i];
    return '<b>' + finding.severity + ' ' + finding.code + '</b><br>' + escapeHtml(finding.text);
  }
  const findings = L.featureGroup();
  const findingLayers = data.findings.map((finding, i) => {
    const layer = findingLayer(finding, i);
    if (layer) {
      findings.addLayer(layer);
    }
    return layer;
  });
  explain(findings, (layer) => findingHtml(layer.options.pwFinding));

  function eventKind(event) {
    return event.repeated ? 'repeated' : event.event;
  }
  function eventHtml(i) {
    const event = data.track.events[i];
    const node = event.node !== undefined ? nodes[event.node].id : '';
    return (
      '<b>' +
      escapeHtml(event.event + (event.repeated ? ' (repeated)' : '')) +
      '</b> ' +
      escapeHtml(node) +
      (event.points ? ' (' + escapeHtml(points.id) + ')' : '') +
      '<br>at ' +
      escapeHtml(event.time) +
      ' s'
    );
  }
  const events = L.featureGroup();
  const eventLayers = [];
  if (data.track) {
    const line = data.track.fixes.map((fix) => [fix[1], fix[2]]);
    L.polyline(line, {
      renderer: renderer,
      color: '#111',
      weight: 2,
      opacity: 0.7,
      dashArray: '6 4',
      interactive: false,
      pwKind: 'track',
    }).addTo(map);
    data.track.events.forEach((event, i) => {
      const layer = L.circleMarker(event.at, {
        renderer: renderer,
        radius: 5,
        weight: 1.5,
        color: '#fff',
        fillColor: eventColours[eventKind(event)] || '#000',
        fillOpacity: 1,
        pwKind: 'event',
        pwEvent: eventKind(event),
        pwIndex: i,
      });
      events.addLayer(layer);
      eventLayers.push(layer);
    });
  }
  explain(events, (layer) => eventHtml(layer.options.pwIndex));

  // Numbers in travelling order for the selected journey only: they are DOM elements, and a
  // node passed twice gets both numbers in one label.
  const numbers = L.layerGroup().addTo(map);
  function drawNumbers(j) {
    numbers.clearLayers();
    if (j < 0) {
      return;
    }
    const labels = new Map();
    journeys[j].nodes.forEach((n, k) => labels.set(n, (labels.has(n) ? labels.get(n) + ',' : '') + (k + 1)));
    labels.forEach((label, n) => {
      const at = placeOf(nodes[n]);
      if (at) {
        const icon = L.divIcon({className: 'pw-number', html: label, iconSize: null, iconAnchor: [-5, 18]});
        numbers.addLayer(L.marker(at, {icon: icon, interactive: false, keyboard: false, pwKind: 'number', pwJourney: j}));
      }
    });
  }

  function zoomTo(bounds) {
    if (bounds.isValid()) {
      map.fitBounds(bounds, {padding: [30, 30], maxZoom: 18});
    }
  }

  // The panel: journeys, findings and the replay's events.
  const element = (tag, className, text) => {
    const item = document.createElement(tag);
    if (className) {
      item.className = className;
    }
    if (text !== undefined) {
      item.textContent = text;
    }
    return item;
  };
  document.getElementById('title').textContent = data.database;
  const placed = findingLayers.filter((layer) => layer).length;
  document.getElementById('totals').textContent =
    journeys.length +
    (journeys.length === 1 ? ' journey, ' : ' journeys, ') +
    nodes.length +
    ' link nodes' +
    (points ? ', non-journey points ' + points.id : '');

  const journeyList = document.getElementById('journeys');
  const rows = journeys.map((journey, j) => {
    const row = element('li');
    const swatch = element('span', 'swatch');
    swatch.style.background = colourOf(j);
    row.append(swatch, element('span', 'journey-id', journey.id));
    row.append(element('span', 'count', ' ' + journey.nodes.length + ' nodes'));
    if (findingCounts[j]) {
      row.append(element('span', 'badge ' + worstFinding[j], String(findingCounts[j])));
    }
    row.title = journey.order + ' journey';
    row.addEventListener('click', () => select(j, true));
    journeyList.append(row);
    return row;
  });
  if (points) {
    const row = element('li', 'points');
    const swatch = element('span', 'swatch');
    swatch.style.background = '#80deea';
    row.append(swatch, element('span', 'journey-id', points.id));
    row.append(element('span', 'count', ' ' + points.nodes.length + ' non-journey points'));
    row.addEventListener('click', () => zoomTo(points.nodes.reduce((b, n) => extend(b, nodes[n]), L.latLngBounds([]))));
    journeyList.append(row);
  }
  document.getElementById('journey-search').addEventListener('input', (e) => {
    const text = e.target.value.trim().toLowerCase();
    rows.forEach((row, j) => {
      row.hidden = text !== '' && !journeys[j].id.toLowerCase().includes(text);
    });
  });

  // The selected journey's arrows stay where they are in the drawing order, under the points,
  // findings and events; the others fade.
  let selected = -1;
  function select(j, zoom) {
    selected = selected === j ? -1 : j;
    arrowLayers.forEach((layer, i) =>
      layer.setStyle({weight: i === selected ? 4 : 2, opacity: selected < 0 || i === selected ? 0.85 : 0.2})
    );
    drawNumbers(selected);
    rows.forEach((row, i) => row.classList.toggle('selected', i === selected));
    if (zoom) {
      zoomTo(selected >= 0 ? journeys[selected].nodes.reduce((b, n) => extend(b, nodes[n]), L.latLngBounds([])) : all);
    }
  }

  const findingList = document.getElementById('findings');
  document.getElementById('findings-count').textContent = '(' + data.findings.length + ')';
  data.findings.forEach((finding, i) => {
    const row = element('li');
    row.append(element('span', 'badge ' + finding.severity, finding.severity[0].toUpperCase()));
    row.append(' ', element('b', 'finding-code', finding.code), ' ', element('span', 'finding-text', finding.text));
    row.addEventListener('click', () => {
      zoomTo(finding.nodes.reduce((b, n) => extend(b, nodes[n]), L.latLngBounds([])));
      const layer = findingLayers[i];
      if (layer) {
        const at = layer.getBounds ? layer.getBounds().getCenter() : layer.getLatLng();
        L.popup().setLatLng(at).setContent(findingHtml(i)).openOn(map);
      }
    });
    findingList.append(row);
  });
  if (data.unplaced.length) {
    document.getElementById('unplaced').textContent =
      'Not on the map: ' +
      data.unplaced.map((group) => group.code + ' (' + group.count + ' ' + group.severity + ')').join(', ') +
      '; pathweave check lists them.';
  } else if (!data.findings.length) {
    document.getElementById('unplaced').textContent = 'pathweave check finds nothing here.';
  }

  if (data.track) {
    document.getElementById('replay').hidden = false;
    document.getElementById('replay-journey').textContent = data.track.journey;
    document.getElementById('replay-summary').textContent = data.track.summary;
    const eventList = document.getElementById('events');
    data.track.events.forEach((event, i) => {
      const row = element('li');
      const dot = element('span', 'swatch');
      dot.style.background = eventColours[eventKind(event)] || '#000';
      const node = event.node !== undefined ? ' ' + nodes[event.node].id : '';
      row.append(event.time + ' s ', dot, event.event + (event.repeated ? ' (repeated)' : ''));
      row.append(element('span', 'event-node', node + (event.points ? ' (' + points.id + ')' : '')));
      row.addEventListener('click', () => {
        map.setView(event.at, Math.max(map.getZoom(), 17));
        L.popup().setLatLng(event.at).setContent(eventHtml(i)).openOn(map);
      });
      eventList.append(row);
    });
  }

  if (journeys.length === 1) {
    select(0, false);
  }

  // What the page drew, counted from the map's layers and the panel once the canvas has painted
  // (Leaflet paints in the animation frame requested before this one).
  let report = null;
  function selfCheck() {
    const layers = {};
    const perJourney = journeys.map(() => ({boxes: 0, points: 0, legs: 0, numbers: 0}));
    const perPoints = {boxes: 0, points: 0};
    const eventCounts = {};
    map.eachLayer((layer) => {
      const options = layer.options || {};
      if (!options.pwKind) {
        return;
      }
      layers[options.pwKind] = (layers[options.pwKind] || 0) + 1;
      if (options.pwNode !== undefined) {
        const field = options.pwKind === 'box' ? 'boxes' : 'points';
        new Set(uses[options.pwNode].map((use) => use.j)).forEach((j) => perJourney[j][field]++);
        perPoints[field] += isPoint[options.pwNode] ? 1 : 0;
      } else if (options.pwKind === 'arrows') {
        perJourney[options.pwJourney].legs += options.pwLegs;
      } else if (options.pwKind === 'number') {
        perJourney[options.pwJourney].numbers++;
      } else if (options.pwKind === 'event') {
        eventCounts[options.pwEvent] = (eventCounts[options.pwEvent] || 0) + 1;
      }
    });
    const texts = (selector) => Array.from(document.querySelectorAll(selector), (item) => item.textContent);
    report = {
      drawnMs: Math.round(performance.now()),
      layers: layers,
      journeys: Object.fromEntries(journeys.map((journey, j) => [journey.id, perJourney[j]])),
      nonJourneyPoints: points ? perPoints : null,
      events: eventCounts,
      findingsPlaced: placed,
      panel: {
        journeys: texts('#journeys .journey-id'),
        findings: Array.from(document.querySelectorAll('#findings li'), (item) =>
          [item.querySelector('.finding-code').textContent, item.querySelector('.finding-text').textContent]
        ),
        events: texts('#events li').length,
      },
      requests: [],
    };
    document.getElementById('self-check').textContent = JSON.stringify(report);
  }
  requestAnimationFrame(selfCheck);
  // Requests still under way at the first frame (tiles) are listed once they end.
  setTimeout(() => {
    if (!report) {
      return;
    }
    report.requests = performance.getEntriesByType('resource').map((entry) => entry.name);
    document.getElementById('self-check').textContent = JSON.stringify(report);
  }, 1000);
})();
