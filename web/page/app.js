// The station's live page: a map of the targets with the desktop's symbols
// and colours, a sortable and filterable list, the dangerous targets and a
// card of the selected one. Everything received is shown as text
// (textContent), never as markup.
'use strict';

// Fill colours of the type groups, as the desktop's plot paints them
// (Other, Cargo, Tanker, Passenger, Fishing, High-speed, Tug/special, Pleasure).
const GROUP_COLOURS = ['#afafaf', '#46aa46', '#c83c28', '#3264e6', '#f09628', '#f5d700', '#00afbe', '#d25ad2'];
const GROUP_NAMES = ['Other', 'Cargo', 'Tanker', 'Passenger', 'Fishing', 'High-speed craft',
                     'Tug, pilot, special craft', 'Sailing, pleasure craft'];
const REFRESH_MS = 2000;
const LIST_LIMIT = 400;

const state = {
  targets: new Map(),   // mmsi -> compact target
  alarms: [],
  selected: 0,
  sortKey: 'name',
  sortDir: 1,
  filter: '',
  centred: false,
  lastUpdate: 0,
};

const SITUATION_WINDOW_S = 600;
const past = {
  available: false,  // the station keeps a history
  first: 0,          // the earliest stored moment, ms
  at: null,          // the moment shown, ms; null: live
  asked: 0,          // number of the latest situation asked for; older answers are dropped
  timer: null,       // playing forward
};
function text(el, value) { el.textContent = value === null || value === undefined ? '' : String(value); }
function cell(row, value, cls) {
  const td = document.createElement('td');
  text(td, value);
  if (cls) td.className = cls;
  row.appendChild(td);
  return td;
}
function fixed(v, digits) { return typeof v === 'number' && isFinite(v) ? v.toFixed(digits) : ''; }
function ago(seconds) {
  if (typeof seconds !== 'number') return '';
  if (seconds < 60) return Math.round(seconds) + ' s';
  if (seconds < 3600) return Math.round(seconds / 60) + ' min';
  return (seconds / 3600).toFixed(1) + ' h';
}
function label(t) { return t.name || String(t.mmsi); }

async function getJson(url) {
  const r = await fetch(url, { credentials: 'same-origin', cache: 'no-store' });
  if (!r.ok) throw new Error(url + ': ' + r.status);
  return r.json();
}

// ---- map -----------------------------------------------------------------

const map = L.map('map', { zoomAnimation: false, fadeAnimation: false, attributionControl: false,
                           worldCopyJump: true }).setView([52, 4], 9);

// One canvas over the map on which every target is drawn: thousands of
// targets stay fast where one DOM element each would not.
const TargetLayer = L.Layer.extend({
  onAdd(m) {
    this._canvas = L.DomUtil.create('canvas', 'targets-canvas');
    m.getPanes().overlayPane.appendChild(this._canvas);
    m.on('move zoom resize viewreset', this.reset, this);
    this.reset();
  },
  onRemove(m) {
    L.DomUtil.remove(this._canvas);
    m.off('move zoom resize viewreset', this.reset, this);
  },
  reset() {
    const size = map.getSize();
    const ratio = window.devicePixelRatio || 1;
    L.DomUtil.setPosition(this._canvas, map.containerPointToLayerPoint([0, 0]));
    this._canvas.width = size.x * ratio;
    this._canvas.height = size.y * ratio;
    this._canvas.style.width = size.x + 'px';
    this._canvas.style.height = size.y + 'px';
    this.redraw();
  },
  redraw() {
    const ctx = this._canvas.getContext('2d');
    const ratio = window.devicePixelRatio || 1;
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    const size = map.getSize();
    ctx.clearRect(0, 0, size.x, size.y);
    drawTargets(ctx, size);
  },
});
const targetLayer = new TargetLayer().addTo(map);

// Land, lakes and islands under the targets, from the shorelines the desktop
// plot reads, fetched for the view and its zoom.
map.createPane('coast').style.zIndex = 350;
const LEVEL_STYLE = {
  1: { fillColor: '#efe9d8' },
  2: { fillColor: '#c6dcef' },
  3: { fillColor: '#efe9d8' },
  4: { fillColor: '#c6dcef' },
};
const coastLayer = L.geoJSON(null, {
  pane: 'coast',
  renderer: L.canvas({ pane: 'coast', padding: 0.5 }),
  interactive: false,
  style: f => f.properties.shore
    ? { color: '#8a7f68', weight: 0.8, opacity: 1, fill: false }
    : Object.assign({ stroke: false, fillOpacity: 1 }, LEVEL_STYLE[f.properties.level] || LEVEL_STYLE[1]),
}).addTo(map);
let coastAsked = '';
async function refreshCoast() {
  const b = map.getBounds().pad(0.3);
  const r = v => Math.round(v * 100) / 100;
  const query = `w=${r(b.getWest())}&s=${r(b.getSouth())}&e=${r(b.getEast())}&n=${r(b.getNorth())}&z=${map.getZoom()}`;
  if (query === coastAsked) return;
  coastAsked = query;
  try {
    const land = await getJson('/api/coast?' + query);
    if (coastAsked !== query) return;
    coastLayer.clearLayers();
    coastLayer.addData(land);
  } catch (e) { /* the map goes on without land */ }
}
map.on('moveend', refreshCoast);

// Where a target would be after `minutes` at its speed and course.
function ahead(t, minutes) {
  const nm = t.sog * minutes / 60;
  const rad = t.cog * Math.PI / 180;
  const lat = t.lat + nm / 60 * Math.cos(rad);
  const lon = t.lon + nm / 60 * Math.sin(rad) / Math.max(0.01, Math.cos(t.lat * Math.PI / 180));
  return [lat, lon];
}

function turned(c, angle, x, y) {
  const a = angle * Math.PI / 180;
  // x along the direction (north up), y to starboard.
  return [c.x + x * Math.sin(a) + y * Math.cos(a), c.y - x * Math.cos(a) + y * Math.sin(a)];
}

function polygon(ctx, points) {
  ctx.beginPath();
  ctx.moveTo(points[0][0], points[0][1]);
  for (let k = 1; k < points.length; k++) ctx.lineTo(points[k][0], points[k][1]);
  ctx.closePath();
  ctx.fill();
  ctx.stroke();
}

function drawSymbol(ctx, t, c) {
  const angle = typeof t.angle === 'number' ? t.angle : null;
  ctx.lineWidth = t.dangerous ? 2 : 1;
  ctx.strokeStyle = t.dangerous ? '#e00000' : '#282828';
  ctx.setLineDash([]);
  ctx.fillStyle = GROUP_COLOURS[t.group] || GROUP_COLOURS[0];
  switch (t.symbol) {
    case 'A':
    case 'B': {
      const size = t.symbol === 'A' ? 9 : 6.5;
      if (angle === null) {
        ctx.beginPath();
        ctx.arc(c.x, c.y, size * 0.5, 0, 2 * Math.PI);
        ctx.fill();
        ctx.stroke();
      } else {
        polygon(ctx, [turned(c, angle, size, 0), turned(c, angle, -size * 0.6, size * 0.45),
                      turned(c, angle, -size * 0.6, -size * 0.45)]);
      }
      break;
    }
    case 'base':
      ctx.fillStyle = '#fff';
      ctx.fillRect(c.x - 4, c.y - 4, 8, 8);
      ctx.strokeRect(c.x - 4, c.y - 4, 8, 8);
      break;
    case 'aton':
      ctx.fillStyle = t.virtual ? 'rgba(0,0,0,0)' : '#fff';
      if (t.virtual) ctx.setLineDash([3, 2]);
      polygon(ctx, [[c.x, c.y - 6], [c.x + 6, c.y], [c.x, c.y + 6], [c.x - 6, c.y]]);
      ctx.setLineDash([]);
      if (t.off_position) {
        ctx.beginPath();
        ctx.moveTo(c.x - 3, c.y - 3); ctx.lineTo(c.x + 3, c.y + 3);
        ctx.moveTo(c.x - 3, c.y + 3); ctx.lineTo(c.x + 3, c.y - 3);
        ctx.stroke();
      }
      break;
    case 'sar':
      ctx.fillStyle = '#ffc800';
      polygon(ctx, [[8, 0], [2, 1.5], [1, 8], [-1, 8], [-4, 1.5], [-6, 4], [-7, 4], [-6, 0], [-7, -4], [-6, -4],
                    [-4, -1.5], [-1, -8], [1, -8], [2, -1.5]].map(p => turned(c, angle || 0, p[0], p[1])));
      break;
    case 'distress':
      ctx.strokeStyle = '#e60000';
      ctx.lineWidth = 2;
      ctx.fillStyle = '#fff';
      ctx.beginPath();
      ctx.arc(c.x, c.y, 6, 0, 2 * Math.PI);
      ctx.fill();
      ctx.stroke();
      ctx.beginPath();
      ctx.moveTo(c.x - 4, c.y - 4); ctx.lineTo(c.x + 4, c.y + 4);
      ctx.moveTo(c.x - 4, c.y + 4); ctx.lineTo(c.x + 4, c.y - 4);
      ctx.stroke();
      break;
    default:
      ctx.fillStyle = '#000';
      ctx.beginPath();
      ctx.arc(c.x, c.y, 2.5, 0, 2 * Math.PI);
      ctx.fill();
  }
  if (t.own) {
    ctx.strokeStyle = '#17324d';
    ctx.lineWidth = 1.5;
    ctx.beginPath();
    ctx.arc(c.x, c.y, 12, 0, 2 * Math.PI);
    ctx.stroke();
  }
  if (t.mmsi === state.selected) {
    ctx.strokeStyle = '#0060d0';
    ctx.lineWidth = 2;
    ctx.strokeRect(c.x - 11, c.y - 11, 22, 22);
  }
}

// Labels that would overlap one already placed are left out; the dangerous
// and the selected target are placed first.
function placeLabels(ctx, placed) {
  const boxes = [];
  const overlaps = b => boxes.some(o => b.x < o.x + o.w && o.x < b.x + b.w && b.y < o.y + o.h && o.y < b.y + b.h);
  placed.sort((a, b) => b.priority - a.priority);
  ctx.font = '11px system-ui, sans-serif';
  ctx.lineWidth = 3;
  ctx.strokeStyle = 'rgba(255,255,255,0.85)';
  ctx.setLineDash([]);
  for (const p of placed) {
    const w = ctx.measureText(p.text).width;
    const box = { x: p.c.x + 8, y: p.c.y - 12, w: w + 2, h: 13 };
    if (overlaps(box)) continue;
    boxes.push(box);
    ctx.fillStyle = p.priority > 1 ? '#b00' : '#1b2530';
    ctx.strokeText(p.text, box.x, box.y + 10);
    ctx.fillText(p.text, box.x, box.y + 10);
  }
}

function drawTargets(ctx, size) {
  const labels = [];
  const showLabels = map.getZoom() >= 10;
  // The alarms are live: a past picture draws no approach lines.
  const alarmByMmsi = new Map(past.at === null ? state.alarms.map(a => [a.mmsi, a]) : []);
  for (const t of state.targets.values()) {
    if (typeof t.lat !== 'number' || typeof t.lon !== 'number') continue;
    const c = map.latLngToContainerPoint([t.lat, t.lon]);
    if (c.x < -40 || c.y < -40 || c.x > size.x + 40 || c.y > size.y + 40) continue;
    if (typeof t.sog === 'number' && t.sog > 0.1 && typeof t.cog === 'number') {
      const e = map.latLngToContainerPoint(ahead(t, 6));
      ctx.strokeStyle = t.dangerous ? '#e00000' : '#4a5560';
      ctx.lineWidth = 1;
      ctx.beginPath();
      ctx.moveTo(c.x, c.y);
      ctx.lineTo(e.x, e.y);
      ctx.stroke();
    }
    const alarm = alarmByMmsi.get(t.mmsi);
    if (alarm && alarm.cpa_position) {
      const p = map.latLngToContainerPoint([alarm.cpa_position[1], alarm.cpa_position[0]]);
      ctx.strokeStyle = '#e00000';
      ctx.setLineDash([4, 3]);
      ctx.beginPath();
      ctx.moveTo(c.x, c.y);
      ctx.lineTo(p.x, p.y);
      ctx.stroke();
      ctx.setLineDash([]);
      ctx.beginPath();
      ctx.arc(p.x, p.y, 4, 0, 2 * Math.PI);
      ctx.stroke();
    }
    drawSymbol(ctx, t, c);
    const priority = t.mmsi === state.selected ? 3 : t.dangerous ? 2 : 1;
    if (showLabels || priority > 1) labels.push({ c, text: label(t), priority });
  }
  placeLabels(ctx, labels);
}

function targetAt(point) {
  let best = null;
  let bestDistance = 12;
  for (const t of state.targets.values()) {
    if (typeof t.lat !== 'number') continue;
    const c = map.latLngToContainerPoint([t.lat, t.lon]);
    const d = Math.hypot(c.x - point.x, c.y - point.y);
    if (d < bestDistance) { best = t; bestDistance = d; }
  }
  return best;
}

map.on('click', e => {
  const t = targetAt(e.containerPoint);
  if (t) select(t.mmsi, false);
});

// ---- list ----------------------------------------------------------------

function matches(t, filter) {
  if (!filter) return true;
  return [t.name, t.callsign, String(t.mmsi), t.class_text, GROUP_NAMES[t.group]]
    .some(v => v && v.toLowerCase().includes(filter));
}

function compare(a, b) {
  const x = a[state.sortKey];
  const y = b[state.sortKey];
  // Unknown figures last, whichever way the list is sorted.
  const xu = x === null || x === undefined || x === '';
  const yu = y === null || y === undefined || y === '';
  if (xu || yu) return xu === yu ? a.mmsi - b.mmsi : (xu ? 1 : -1);
  if (typeof x === 'number' && typeof y === 'number') return (x - y) * state.sortDir || a.mmsi - b.mmsi;
  return String(x).localeCompare(String(y)) * state.sortDir || a.mmsi - b.mmsi;
}

function renderList() {
  const body = document.querySelector('#targets tbody');
  const rows = [...state.targets.values()].filter(t => matches(t, state.filter)).sort(compare);
  const fragment = document.createDocumentFragment();
  for (const t of rows.slice(0, LIST_LIMIT)) {
    const tr = document.createElement('tr');
    if (t.mmsi === state.selected) tr.classList.add('selected');
    if (t.dangerous) tr.classList.add('dangerous');
    cell(tr, label(t));
    cell(tr, t.mmsi);
    cell(tr, t.class);
    cell(tr, fixed(t.sog, 1), 'num');
    cell(tr, fixed(t.cog, 1), 'num');
    cell(tr, fixed(t.range_nm, 2), 'num');
    cell(tr, fixed(t.cpa, 2), 'num');
    cell(tr, fixed(t.tcpa, 1), 'num');
    cell(tr, ago(t.heard_s_ago), 'num');
    tr.addEventListener('click', () => select(t.mmsi, true));
    fragment.appendChild(tr);
  }
  body.replaceChildren(fragment);
  text(document.getElementById('list-note'), rows.length > LIST_LIMIT
    ? `${LIST_LIMIT} of ${rows.length} shown — narrow the filter to see the rest.`
    : `${rows.length} of ${state.targets.size} targets.`);
  document.querySelectorAll('#targets th').forEach(th => {
    th.classList.toggle('sorted', th.dataset.key === state.sortKey);
    th.classList.toggle('down', th.dataset.key === state.sortKey && state.sortDir < 0);
  });
}

document.querySelectorAll('#targets th').forEach(th => th.addEventListener('click', () => {
  if (state.sortKey === th.dataset.key) state.sortDir = -state.sortDir;
  else { state.sortKey = th.dataset.key; state.sortDir = 1; }
  renderList();
}));
document.getElementById('filter').addEventListener('input', e => {
  state.filter = e.target.value.trim().toLowerCase();
  renderList();
});

// ---- dangerous targets and the card --------------------------------------

function renderAlarms() {
  const body = document.querySelector('#alarm-table tbody');
  const fragment = document.createDocumentFragment();
  for (const a of state.alarms) {
    const tr = document.createElement('tr');
    tr.className = 'dangerous';
    cell(tr, a.name);
    cell(tr, fixed(a.cpa, 2), 'num');
    cell(tr, fixed(a.tcpa, 1), 'num');
    cell(tr, fixed(a.range, 2), 'num');
    cell(tr, fixed(a.bearing, 1), 'num');
    tr.addEventListener('click', () => select(a.mmsi, true));
    fragment.appendChild(tr);
  }
  body.replaceChildren(fragment);
  const count = document.getElementById('alarm-count');
  text(count, state.alarms.length);
  count.classList.toggle('on', state.alarms.length > 0);
  document.getElementById('alarm-note').hidden = state.alarms.length > 0;
}

async function select(mmsi, pan) {
  state.selected = mmsi;
  const t = state.targets.get(mmsi);
  if (pan && t && typeof t.lat === 'number') map.panTo([t.lat, t.lon]);
  showPanel('card');
  targetLayer.redraw();
  renderList();
  const title = document.getElementById('card-title');
  const fields = document.getElementById('card-fields');
  text(title, t ? label(t) : mmsi);
  document.getElementById('card-note').hidden = true;
  loadTrack();
  if (past.at !== null) {
    showPastCard(t);
    return;
  }
  try {
    const detail = await getJson('/api/targets/' + encodeURIComponent(mmsi));
    if (state.selected !== mmsi) return;
    const entry = detail.targets[0] || {};
    const fragment = document.createDocumentFragment();
    for (const [key, value] of Object.entries(entry)) {
      if (Array.isArray(value) || (typeof value === 'object' && value !== null)) continue;
      const dt = document.createElement('dt');
      const dd = document.createElement('dd');
      text(dt, key);
      text(dd, value === null ? 'n/a' : value);
      fragment.append(dt, dd);
    }
    for (const h of detail.heard_by || []) {
      const dt = document.createElement('dt');
      const dd = document.createElement('dd');
      text(dt, 'Heard by');
      text(dd, `input ${h.input}${h.source ? ' · ' + h.source : ''} · ${new Date(h.time * 1000).toLocaleTimeString()}`);
      fragment.append(dt, dd);
    }
    fields.replaceChildren(fragment);
  } catch (e) {
    fields.replaceChildren();
    text(title, (t ? label(t) : mmsi) + ' — no longer in the table');
  }
}

// A past moment's card: what the history kept of the station then (the
// live detail would describe another moment).
const PAST_FIELDS = [['MMSI', 'mmsi'], ['Name', 'name'], ['Call sign', 'callsign'], ['Class', 'class_text'],
                     ['Ship type', 'ship_type_text'], ['Navigational status', 'nav_status'], ['Latitude', 'lat'],
                     ['Longitude', 'lon'], ['SOG', 'sog'], ['COG', 'cog'], ['Heading', 'heading']];
function showPastCard(t) {
  const fragment = document.createDocumentFragment();
  const add = (key, value) => {
    const dt = document.createElement('dt');
    const dd = document.createElement('dd');
    text(dt, key);
    text(dd, value === null || value === undefined || value === '' ? 'n/a' : value);
    fragment.append(dt, dd);
  };
  add('As stored at', utcText(past.at) + ' UTC');
  if (t) {
    const shown = { lat: fixed(t.lat, 5), lon: fixed(t.lon, 5), sog: fixed(t.sog, 1), cog: fixed(t.cog, 1) };
    for (const [key, field] of PAST_FIELDS) add(key, field in shown ? shown[field] : t[field]);
    add('Last report', ago(t.heard_s_ago) + ' before');
  }
  document.getElementById('card-fields').replaceChildren(fragment);
}

function showPanel(name) {
  document.querySelectorAll('.panel').forEach(p => p.classList.toggle('active', p.id === name));
  document.querySelectorAll('nav button').forEach(b => b.classList.toggle('active', b.dataset.panel === name));
}
document.querySelectorAll('nav button').forEach(b => b.addEventListener('click', () => showPanel(b.dataset.panel)));

// ---- coverage ------------------------------------------------------------

const COVERAGE_COLOURS = ['#1f6fb2', '#d2691e', '#2e8b57', '#8b3a9c', '#b22222', '#4a5560'];
const coverageLayer = L.layerGroup().addTo(map);
L.control.layers(null, { 'Coverage': coverageLayer }, { collapsed: true }).addTo(map);

function drawPolar(list) {
  const canvas = document.getElementById('polar');
  const ctx = canvas.getContext('2d');
  const c = canvas.width / 2;
  ctx.clearRect(0, 0, canvas.width, canvas.height);
  const farthest = Math.max(1, ...list.flatMap(k => k.sectors.filter(s => s).map(s => s.range_nm)));
  const scale = (c - 20) / farthest;
  ctx.strokeStyle = '#c8d2dc';
  ctx.fillStyle = '#567';
  ctx.font = '10px system-ui, sans-serif';
  for (let ring = 1; ring <= 4; ring++) {
    ctx.beginPath();
    ctx.arc(c, c, (c - 20) * ring / 4, 0, 2 * Math.PI);
    ctx.stroke();
    ctx.fillText((farthest * ring / 4).toFixed(1) + ' nm', c + 3, c - (c - 20) * ring / 4 + 10);
  }
  list.forEach((k, n) => {
    ctx.strokeStyle = COVERAGE_COLOURS[n % COVERAGE_COLOURS.length];
    ctx.lineWidth = 2;
    ctx.beginPath();
    k.sectors.forEach((s, i) => {
      const r = s ? s.range_nm * scale : 0;
      const a = (i * 10 + 5) * Math.PI / 180;
      const x = c + r * Math.sin(a), y = c - r * Math.cos(a);
      if (i === 0) ctx.moveTo(x, y); else ctx.lineTo(x, y);
    });
    ctx.closePath();
    ctx.stroke();
  });
}

function renderCoverage(data) {
  const list = data.coverage || [];
  drawPolar(list);
  const body = document.querySelector('#coverage-table tbody');
  const fragment = document.createDocumentFragment();
  coverageLayer.clearLayers();
  list.forEach((k, n) => {
    const colour = COVERAGE_COLOURS[n % COVERAGE_COLOURS.length];
    const tr = document.createElement('tr');
    const first = cell(tr, '');
    const swatch = document.createElement('span');
    swatch.className = 'swatch';
    swatch.style.background = colour;
    first.append(swatch, document.createTextNode(String(k.input)));
    cell(tr, k.source || '—');
    cell(tr, k.messages, 'num');
    const ranges = k.sectors.filter(s => s).map(s => s.range_nm);
    cell(tr, ranges.length ? Math.max(...ranges).toFixed(1) : '', 'num');
    fragment.appendChild(tr);
    const points = k.sectors.filter(s => s).map(s => [s.lat, s.lon]);
    if (points.length >= 3) {
      coverageLayer.addLayer(L.polygon(points, { color: colour, weight: 1.5, dashArray: '5 4', fill: false,
                                                 interactive: false }));
    }
  });
  body.replaceChildren(fragment);
}

// ---- data ----------------------------------------------------------------

function merge(list, replaceAll) {
  if (replaceAll) state.targets.clear();
  for (const t of list) state.targets.set(t.mmsi, t);
}

async function refresh() {
  try {
    const live = past.at === null;
    const [targets, alarms, coverage] = await Promise.all([live ? getJson('/api/targets?form=compact') : null,
                                                           getJson('/api/alarms'), getJson('/api/coverage')]);
    renderCoverage(coverage);
    state.alarms = alarms.alarms;
    // A past moment keeps its picture; the alarms and coverage stay live.
    if (!live || past.at !== null) return;
    merge(targets.targets, true);
    state.lastUpdate = Date.now();
    if (!state.centred) centreOnTargets();
    text(document.getElementById('status'), `${state.targets.size} targets · ${new Date().toLocaleTimeString()}`);
  } catch (e) {
    text(document.getElementById('status'), 'no answer from the station (' + e.message + ')');
  } finally {
    targetLayer.redraw();
    renderList();
    renderAlarms();
  }
}

function centreOnTargets() {
  const own = [...state.targets.values()].find(t => t.own && typeof t.lat === 'number');
  const placed = [...state.targets.values()].filter(t => typeof t.lat === 'number');
  if (own) map.setView([own.lat, own.lon], 10);
  else if (placed.length) map.fitBounds(L.latLngBounds(placed.map(t => [t.lat, t.lon])), { maxZoom: 12 });
  else return;
  state.centred = true;
}

function listen() {
  if (!window.EventSource) return;
  const events = new EventSource('/api/events');
  events.addEventListener('targets', e => {
    if (past.at !== null) return;  // a past moment is not changed by live reports
    try {
      merge(JSON.parse(e.data).targets, false);
      targetLayer.redraw();
    } catch (err) { /* a broken event is skipped; the next refresh brings everything */ }
  });
  events.addEventListener('alarms', e => {
    try {
      state.alarms = JSON.parse(e.data).alarms;
      renderAlarms();
      targetLayer.redraw();
    } catch (err) { /* as above */ }
  });
}

// ---- history: the time bar and the selected target's track --------------

function utcText(ms) { return new Date(ms).toISOString().slice(0, 19).replace('T', ' '); }

async function refreshSpan() {
  try {
    const span = await getJson('/api/history');
    past.available = true;
    past.first = span.first ? Date.parse(span.first) : Date.now();
  } catch (e) {
    past.available = false;
  }
  document.getElementById('timebar').hidden = !past.available;
  document.getElementById('track-bar').hidden = !past.available;
  placeSlider();
}

function placeSlider() {
  const now = Date.now();
  const at = past.at === null ? now : past.at;
  const slider = document.getElementById('tb-slider');
  slider.value = Math.round(1000 * (at - past.first) / Math.max(1, now - past.first));
  text(document.getElementById('tb-time'), past.at === null ? 'live' : utcText(at) + ' UTC');
  document.getElementById('tb-live').classList.toggle('active', past.at === null);
  text(document.getElementById('tb-play'), past.timer ? 'Pause' : '\u25B6 Play');
}

async function showMoment(ms) {
  if (ms >= Date.now()) { goLive(); return; }
  past.at = Math.max(past.first, ms);
  document.body.classList.add('past');
  const banner = document.getElementById('history-banner');
  text(banner, 'HISTORY ' + utcText(past.at));
  banner.hidden = false;
  placeSlider();
  const asked = ++past.asked;
  const at = new Date(past.at).toISOString();
  try {
    const answer = await getJson(`/api/situation?form=compact&window=${SITUATION_WINDOW_S}&at=${encodeURIComponent(at)}`);
    if (asked !== past.asked) return;  // a newer moment, or live, was asked for since
    merge(answer.targets, true);
    text(document.getElementById('status'), `${state.targets.size} targets at ${utcText(Date.parse(at))} UTC`);
  } catch (e) {
    if (asked !== past.asked) return;
    text(document.getElementById('status'), 'no past picture (' + e.message + ')');
  }
  targetLayer.redraw();
  renderList();
  if (!past.timer) loadTrack();
}

function stopPlaying() {
  if (past.timer) clearInterval(past.timer);
  past.timer = null;
}

function goLive() {
  stopPlaying();
  past.at = null;
  ++past.asked;
  document.body.classList.remove('past');
  document.getElementById('history-banner').hidden = true;
  placeSlider();
  refresh();
  loadTrack();
}

let slideTimer = null;
document.getElementById('tb-slider').addEventListener('input', e => {
  stopPlaying();
  const value = Number(e.target.value);
  clearTimeout(slideTimer);
  slideTimer = setTimeout(() => {
    if (value >= 1000) goLive();
    else showMoment(past.first + (Date.now() - past.first) * value / 1000);
  }, 150);
});
document.getElementById('tb-back').addEventListener('click', () => {
  stopPlaying();
  showMoment((past.at === null ? Date.now() : past.at) - 600000);
});
document.getElementById('tb-live').addEventListener('click', goLive);
document.getElementById('tb-play').addEventListener('click', () => {
  if (past.timer || past.at === null) { stopPlaying(); placeSlider(); return; }
  // The moment shown moves speed seconds each second, until it reaches now.
  past.timer = setInterval(() => {
    const speed = Number(document.getElementById('tb-speed').value);
    if (past.at !== null) showMoment(past.at + speed * 1000);
  }, 1000);
  placeSlider();
});

const trackLayer = L.layerGroup().addTo(map);
let trackAsked = 0;
async function loadTrack() {
  const asked = ++trackAsked;
  trackLayer.clearLayers();
  const note = document.getElementById('track-note');
  text(note, '');
  const hours = Number(document.getElementById('track-hours').value);
  if (!past.available || !state.selected || !hours) return;
  const to = past.at === null ? Date.now() : past.at;
  const query = `format=geojson&from=${encodeURIComponent(new Date(to - hours * 3600000).toISOString())}` +
                `&to=${encodeURIComponent(new Date(to).toISOString())}`;
  try {
    const track = await getJson(`/api/targets/${encodeURIComponent(state.selected)}/track?${query}`);
    if (asked !== trackAsked) return;
    const points = [];
    for (const f of track.features || []) {
      const g = f.geometry || {};
      if (g.type === 'LineString') for (const c of g.coordinates) points.push([c[1], c[0]]);
      else if (g.type === 'Point') points.push([g.coordinates[1], g.coordinates[0]]);
    }
    const style = { color: '#b0128c', weight: 2.5, opacity: 0.9, interactive: false, className: 'history-track' };
    if (points.length > 1) trackLayer.addLayer(L.polyline(points, style));
    if (points.length <= 3000) {
      for (const p of points) trackLayer.addLayer(L.circleMarker(p, Object.assign({}, style, { radius: 2.5, weight: 1,
                                                                                           fillOpacity: 0.9 })));
    }
    text(note, points.length === 1 ? '1 stored report' : points.length ? `${points.length} stored reports`
                                                              : 'no stored reports in this period');
  } catch (e) {
    if (asked === trackAsked) text(note, 'no track (' + e.message + ')');
  }
}
document.getElementById('track-hours').addEventListener('change', loadTrack);

// The event stream opens once the first list is in.
refresh().then(() => { refreshCoast(); refreshSpan(); setTimeout(listen, 1000); });
setInterval(refresh, REFRESH_MS);
setInterval(refreshSpan, 60000);
