// The live panel's page script: draws each gauge from the frames panelhost serve renders,
// sends clicks, variable settings and sweeps, keeps the event log, plays the gauges'
// sounds and reloads a gauge's description when its module is rebuilt. Plain browser
// JavaScript talking only to the serving program's /api endpoints.
'use strict';

// CSS cursor for each rectangle cursor number: the adjusters' two halves point the way they
// turn (1 increases, right half; 2 decreases, left half), push up, pull down, hand pointer.
const cursors = { 1: 'e-resize', 2: 'w-resize', 3: 'n-resize', 4: 's-resize', 5: 'pointer' };
const cursorNames = { 1: 'increase', 2: 'decrease', 3: 'push', 4: 'pull', 5: 'hand' };

// Starting ranges of the slider and sweep for variables with a known scale; the rest start
// at 0 to 100, and every bound can be edited.
const startRanges = { 74: [0, 20000], 75: [950, 1050], 76: [28, 31], 83: [0, 360], 335: [0, 1] };

const saved = JSON.parse(localStorage.getItem('livePanel') || '{}');
const ui = { zoom: saved.zoom || 1, hidden: !!saved.hidden, outlines: !!saved.outlines,
             sound: saved.sound !== false };
let panel = null;          // the latest /api/panel answer
let rate = 18;
let nextEvent = 0;         // first event not yet shown
let firstState = true;
const gauges = new Map();  // module name -> its card
const audio = new Map();   // "module/id" -> Audio
const variableRows = new Map();
window.livePanel = { soundsStarted: [], framesShown: 0 };  // what the page did, for a look from outside

const $ = (id) => document.getElementById(id);
const el = (tag, props = {}, ...children) => {
  const e = Object.assign(document.createElement(tag), props);
  for (const c of children) e.append(c);
  return e;
};
const hex = (n) => '0x' + (n >>> 0).toString(16).toUpperCase();

function rememberUi() { localStorage.setItem('livePanel', JSON.stringify(ui)); }

async function api(path, body) {
  const init = body === undefined ? {} : {
    method: 'POST', body: typeof body === 'string' ? body : JSON.stringify(body),
    headers: { 'Content-Type': typeof body === 'string' ? 'text/plain' : 'application/json' } };
  const res = await fetch(path, init);
  const data = await res.json().catch(() => ({ error: 'no answer' }));
  if (!res.ok) throw new Error(data.error || res.statusText);
  return data;
}

function setStatus(text, lost) {
  $('status').textContent = text;
  $('status').classList.toggle('lost', !!lost);
}

// ---- gauges ----

function describeRect(name, r) {
  const c = cursorNames[r.cursor] ? `${r.cursor} (${cursorNames[r.cursor]})` : String(r.cursor);
  return `${name} rect ${r.number} at ${r.x},${r.y} ${r.width}x${r.height} · cursor ${c} · ${r.action}`;
}

function makeCard(m) {
  const img = el('img', { alt: m.name, draggable: false });
  const overlay = el('div', { className: 'overlay' });
  const frame = el('div', { className: 'frame' }, img, overlay);
  const title = el('h2');
  const error = el('div', { className: 'error' });
  const card = el('div', { className: 'card' }, title, error, el('div', { className: 'scroller' }, frame));
  card.dataset.module = m.name;
  const g = { card, img, overlay, frame, title, error, info: m, origin: [0, 0], size: [0, 0], tag: '',
              generation: m.generation, busy: false, url: null };
  frame.addEventListener('click', (ev) => clickGauge(g, ev));
  gauges.set(m.name, g);
  $('gauges').append(card);
  describeCard(g);
  return g;
}

function describeCard(g) {
  const m = g.info;
  g.title.replaceChildren(el('b', { textContent: m.name }), ` ${m.gauge}`,
    el('span', { className: 'build', textContent: `build ${m.generation}` }));
  g.card.dataset.generation = m.generation;
  g.error.textContent = m.error || '';
  placeRects(g);
}

function placeRects(g) {
  const z = ui.zoom;
  g.img.style.width = g.size[0] * z + 'px';
  g.img.style.height = g.size[1] * z + 'px';
  g.overlay.replaceChildren();
  for (const r of g.info.rects) {
    const d = el('div', { className: 'rect', title: describeRect(g.info.name, r) });
    d.style.left = (r.x - g.origin[0]) * z + 'px';
    d.style.top = (r.y - g.origin[1]) * z + 'px';
    d.style.width = r.width * z + 'px';
    d.style.height = r.height * z + 'px';
    d.style.cursor = cursors[r.cursor] || 'crosshair';
    d.addEventListener('mouseenter', () => { $('hover').textContent = describeRect(g.info.name, r); });
    g.overlay.append(d);
  }
}

// The gauge coordinate under the mouse: the picture's first pixel shows gauge point origin.
function gaugePoint(g, ev) {
  const box = g.img.getBoundingClientRect();
  return [g.origin[0] + Math.floor((ev.clientX - box.left) / ui.zoom),
          g.origin[1] + Math.floor((ev.clientY - box.top) / ui.zoom)];
}

async function clickGauge(g, ev) {
  const [x, y] = gaugePoint(g, ev);
  try {
    const r = await api('/api/click', { module: g.info.name, x, y });
    $('hover').textContent = r.rect ? `clicked ${g.info.name} rect ${r.rect} at ${x},${y}` :
                                      `${g.info.name} ${x},${y}: no rectangle`;
    fetchFrame(g);
  } catch (e) {
    $('hover').textContent = `click ${x},${y}: ${e.message}`;
  }
}

async function fetchFrame(g) {
  if (g.busy) { g.again = true; return; }
  g.busy = true;
  try {
    const q = `hidden=${ui.hidden ? 1 : 0}&mouse=${ui.outlines ? 1 : 0}`;
    const res = await fetch(`/api/gauge/${encodeURIComponent(g.info.name)}.png?${q}`,
      { cache: 'no-store', headers: g.tag && g.query === q ? { 'If-None-Match': g.tag } : {} });
    if (res.status === 200) {
      const blob = await res.blob();
      const origin = [Number(res.headers.get('X-Origin-X')), Number(res.headers.get('X-Origin-Y'))];
      const size = [Number(res.headers.get('X-Width')), Number(res.headers.get('X-Height'))];
      const url = URL.createObjectURL(blob);
      await new Promise((done) => { g.img.onload = done; g.img.onerror = done; g.img.src = url; });
      if (g.url) URL.revokeObjectURL(g.url);
      g.url = url;
      g.tag = res.headers.get('ETag') || '';
      g.query = q;
      g.img.dataset.generation = res.headers.get('X-Generation');
      [g.img.dataset.originX, g.img.dataset.originY] = origin;
      const moved = origin[0] !== g.origin[0] || origin[1] !== g.origin[1] || size[0] !== g.size[0] ||
                    size[1] !== g.size[1];
      g.origin = origin;
      g.size = size;
      if (moved) placeRects(g);
      window.livePanel.framesShown++;
    }
  } catch (e) {
    /* the next round tries again */
  } finally {
    g.busy = false;
    if (g.again) { g.again = false; fetchFrame(g); }
  }
}

function frameLoop() {
  for (const g of gauges.values()) fetchFrame(g);
  setTimeout(frameLoop, Math.max(40, 1000 / rate));
}

// ---- the panel's description ----

async function loadPanel() {
  panel = await api('/api/panel');
  rate = panel.rate;
  for (const m of panel.modules) {
    const g = gauges.get(m.name) || makeCard(m);
    const rebuilt = g.info.generation !== m.generation;
    g.info = m;
    describeCard(g);
    if (rebuilt) { g.tag = ''; fetchFrame(g); }
  }
  buildVariables(panel.variables);
}

function readersText(v) {
  return v.readers.map((r) => r.readVariable ? `${r.module} (readVariable)` :
                                               `${r.module} #${r.elements.join(', #')}`).join('; ');
}

function buildVariables(list) {
  const body = $('variables').tBodies[0];
  for (const v of list) {
    let row = variableRows.get(v.token);
    if (row) { row.readers.textContent = readersText(v); continue; }
    const value = el('input', { className: 'value', type: 'text' });
    const shown = el('span', { className: 'hex' });
    const readers = el('span', { className: 'readers', textContent: readersText(v) });
    const cells = [el('td', { className: 'num', textContent: v.token }),
                   el('td', {}, v.name, ' ', el('span', { className: 'form', textContent: v.form }), el('br'), readers),
                   el('td', { className: 'num' }, value, shown)];
    row = { info: v, value, shown, readers };
    const send = async (text) => {
      try {
        await api('/api/variable', { token: v.token, value: text });
        value.classList.remove('bad');
        value.title = '';
      } catch (e) {
        value.classList.add('bad');
        value.title = e.message;
        $('hover').textContent = `variable ${v.token}: ${e.message}`;
      }
    };
    value.addEventListener('keydown', (ev) => { if (ev.key === 'Enter') { send(value.value); value.blur(); } });
    value.addEventListener('change', () => send(value.value));
    if (v.form === 'double') {
      const [lo, hi] = startRanges[v.token] || [0, 100];
      const from = el('input', { className: 'bound', type: 'number', value: lo, title: 'from' });
      const to = el('input', { className: 'bound', type: 'number', value: hi, title: 'to' });
      const seconds = el('input', { className: 'bound', type: 'number', value: 10, min: 0.1, title: 'seconds' });
      const slider = el('input', { type: 'range', min: lo, max: hi, step: 'any' });
      const sweep = el('button', { textContent: 'sweep' });
      const bounds = () => { slider.min = from.value; slider.max = to.value; };
      from.addEventListener('change', bounds);
      to.addEventListener('change', bounds);
      slider.addEventListener('input', () => send(slider.value));
      sweep.addEventListener('click', async () => {
        try {
          if (row.sweeping) await api('/api/sweep', { token: v.token, stop: true });
          else await api('/api/sweep', { token: v.token, from: Number(from.value), to: Number(to.value),
                                         seconds: Number(seconds.value) });
        } catch (e) { $('hover').textContent = `sweep ${v.token}: ${e.message}`; }
      });
      Object.assign(row, { slider, sweep });
      cells.push(el('td', { className: 'controls' }, slider, el('br'), from, '…', to, ' in ', seconds, 's ', sweep));
    } else {
      cells.push(el('td', { className: 'readers', textContent: 'whole number, decimal or 0x… (BCD)' }));
    }
    row.tr = el('tr', {}, ...cells);
    row.tr.dataset.token = v.token;
    variableRows.set(v.token, row);
    body.append(row.tr);
  }
}

// ---- state ----

function showValues(values, sweeps) {
  const sweeping = new Set(sweeps.map((s) => s.token));
  for (const [token, row] of variableRows) {
    const v = values[token];
    if (v === undefined) continue;
    if (document.activeElement !== row.value) row.value.value = String(v);
    row.shown.textContent = row.info.form === 'integer' ? hex(v) : '';
    if (row.slider && document.activeElement !== row.slider) row.slider.value = v;
    row.sweeping = sweeping.has(token);
    if (row.sweep) row.sweep.textContent = row.sweeping ? 'stop' : 'sweep';
    row.tr.classList.toggle('sweeping', row.sweeping);
  }
}

function playSound(e) {
  window.livePanel.soundsStarted.push(`${e.module}/${e.number}`);
  if (!ui.sound) return;
  const key = `${e.module}/${e.number}`;
  let a = audio.get(key);
  if (!a) { a = new Audio(`/api/sound/${encodeURIComponent(e.module)}/${e.number}`); audio.set(key, a); }
  a.currentTime = 0;  // each start plays the sound from its beginning, as a rewound buffer does
  a.play().catch(() => {});
}

function logEvents(events) {
  const body = $('log').tBodies[0];
  for (const e of events) {
    const tr = el('tr', {}, ...[e.seq, e.update, e.kind, e.number, e.kind === 'sound' ? '' : e.hex, e.module,
                              e.source].map((t) => el('td', { className: 'num', textContent: t })));
    tr.dataset.kind = e.kind;
    tr.dataset.number = e.number;
    body.prepend(tr);
    if (e.kind === 'sound' && !firstState) playSound(e);
  }
  while (body.rows.length > 300) body.deleteRow(-1);
}

function showModuleState(modules) {
  const box = $('state');
  if (!$('state-box').open) return;
  const parts = [];
  for (const m of modules) {
    const info = gauges.get(m.name)?.info;
    const kinds = new Map((info?.elements || []).map((e) => [e.number, e]));
    const rows = m.elements.map((s) => {
      const e = kinds.get(s.number) || {};
      const what = 'text' in s ? `"${s.text}"` : 'state' in s ? `state ${s.state}` :
                   'angle' in s ? `value ${s.value} angle ${Number(s.angle).toFixed(2)}` : `x ${s.x} y ${s.y}`;
      return el('tr', {}, el('td', { textContent: '#' + s.number }), el('td', { textContent: e.kind || '' }),
                el('td', { textContent: e.image ?? '' }), el('td', { textContent: what }));
    });
    parts.push(el('h3', { textContent: `${m.name} · ${m.updates} updates` }), el('table', {}, ...rows));
  }
  box.replaceChildren(...parts);
}

function showMagneto(block) {
  $('magneto-box').hidden = !block;
  if (!block) return;
  $('magneto').tBodies[0].replaceChildren(...Object.entries(block).map(([k, v]) =>
    el('tr', {}, el('td', { textContent: k }), el('td', { className: 'num', textContent: v }))));
}

async function pollState() {
  try {
    const s = await api(`/api/state?since=${nextEvent}`);
    let rebuilt = false;
    for (const m of s.modules) {
      const g = gauges.get(m.name);
      if (!g) { rebuilt = true; continue; }
      if (g.info.generation !== m.generation || (g.info.error || '') !== m.error) rebuilt = true;
    }
    if (rebuilt) await loadPanel();
    logEvents(s.events);
    nextEvent = s.nextEvent;
    showValues(s.values, s.sweeps);
    showModuleState(s.modules);
    showMagneto(s.magneto);
    setStatus(`${s.ticks} cycles at ${rate}/s · ${s.modules.length} gauges`);
    firstState = false;
  } catch (e) {
    setStatus('no answer from panelhost serve: ' + e.message, true);
  }
  setTimeout(pollState, 200);
}

// ---- controls ----

function setupControls() {
  $('zoom').value = String(ui.zoom);
  $('hidden').checked = ui.hidden;
  $('outlines').checked = ui.outlines;
  $('sound').checked = ui.sound;
  $('zoom').addEventListener('change', () => {
    ui.zoom = Number($('zoom').value);
    rememberUi();
    for (const g of gauges.values()) placeRects(g);
  });
  for (const id of ['hidden', 'outlines', 'sound'])
    $(id).addEventListener('change', () => {
      ui[id] = $(id).checked;
      rememberUi();
      for (const g of gauges.values()) fetchFrame(g);
    });
  $('load').addEventListener('change', async () => {
    const file = $('load').files[0];
    if (!file) return;
    const text = await file.text();
    $('transcript-box').open = true;
    try {
      const r = await api('/api/scenario', text);
      $('transcript').textContent = r.transcript;
    } catch (e) {
      $('transcript').textContent = `${file.name}: ${e.message}`;
    }
    $('load').value = '';
  });
}

setupControls();
loadPanel().then(() => { frameLoop(); pollState(); })
  .catch((e) => { setStatus('cannot read the panel: ' + e.message, true); setTimeout(() => location.reload(), 2000); });
