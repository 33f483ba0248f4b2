// The live panel's page end to end: starts `panelhost serve` with every built module and
// drives the page in headless Chromium through playwright-core: gauges shown, a variable
// turning needles, a click logging its key event, the magneto block crossing between the
// overheads, a saved session replayed by `panelhost run`, a loaded scenario, and hot reload
// of a rebuilt module file. Checks whose modules are not built are skipped, with the reason.
// Started by run_e2e.sh, which passes paths in the environment and installs the driver.
import { spawn, execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const env = process.env;
const require = createRequire(path.join(env.WORK, 'package.json'));
const { chromium } = require('playwright-core');

const moduleNames = ['captain_overhead', 'fo_overhead', 'engine_set', 'altimeter_pair', 'cowl_flaps'];
const built = new Set(moduleNames.filter((m) => fs.existsSync(path.join(env.MODULE_DIR, m + '.so'))));
const results = { passed: 0, failed: 0, skipped: 0 };
const servers = [];
let context = null;
let profile = null;
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'serve-e2e-'));

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
function remember(pid) { if (pid) fs.appendFileSync(env.PIDS, `${pid}\n`); }

async function check(name, needs, body) {
  const missing = needs.filter((m) => !built.has(m));
  if (missing.length) {
    results.skipped++;
    console.log(`skip - ${name}: ${missing.join(', ')} not built yet`);
    return;
  }
  const started = Date.now();
  try {
    await body();
    results.passed++;
    console.log(`ok - ${name} (${Date.now() - started} ms)`);
  } catch (e) {
    results.failed++;
    console.log(`FAIL - ${name}: ${e.message}`);
  }
}

function assert(condition, message) { if (!condition) throw new Error(message); }

// Polls until `probe` gives a true value; returns it, or fails after `ms` with `message`.
async function until(probe, ms, message) {
  const end = Date.now() + ms;
  for (;;) {
    const v = await probe();
    if (v) return v;
    if (Date.now() > end) throw new Error(message);
    await sleep(50);
  }
}

// Starts `panelhost serve` on a free port and waits for the address it prints.
async function serve(args) {
  const proc = spawn(env.PANELHOST, ['serve', '--port', '0', '--modules', env.MODULE_DIR, ...args],
                     { stdio: ['ignore', 'pipe', 'pipe'] });
  remember(proc.pid);
  servers.push({ proc });
  let out = '';
  proc.stdout.on('data', (d) => { out += d; });
  proc.stderr.on('data', (d) => { out += d; });
  const url = await until(() => (out.match(/http:\/\/127\.0\.0\.1:\d+\//) || [])[0], 20000,
                          `panelhost serve printed no address: ${out}`);
  return { proc, url, output: () => out };
}

async function api(server, p, body) {
  const res = await fetch(server.url + p.replace(/^\//, ''), body === undefined ? {} :
    { method: 'POST', body: JSON.stringify(body) });
  return res.json();
}

// Helpers that run in the page: a gauge's picture read back through a canvas, and where a
// gauge point lies on the screen.
async function regionSum(page, module, x, y, w, h) {
  return page.evaluate(([module, x, y, w, h]) => {
    const img = document.querySelector(`.card[data-module="${module}"] img`);
    if (!img || !img.naturalWidth) return null;
    const c = document.createElement('canvas');
    c.width = img.naturalWidth;
    c.height = img.naturalHeight;
    const g = c.getContext('2d');
    g.drawImage(img, 0, 0);
    const ox = Number(img.dataset.originX || 0), oy = Number(img.dataset.originY || 0);
    const d = g.getImageData(x - ox, y - oy, w, h).data;
    let sum = 0;
    for (let i = 0; i < d.length; i += 4) sum = (sum * 31 + d[i] * 3 + d[i + 1] * 5 + d[i + 2] * 7) % 1000000007;
    return sum;
  }, [module, x, y, w, h]);
}

async function clickGauge(page, module, x, y) {
  const frame = page.locator(`.card[data-module="${module}"] .frame`);
  const { ox, oy, zoom } = await frame.evaluate((f) => {
    const img = f.querySelector('img');
    return { ox: Number(img.dataset.originX || 0), oy: Number(img.dataset.originY || 0),
             zoom: img.getBoundingClientRect().width / img.naturalWidth };
  });
  await frame.click({ position: { x: (x - ox + 0.5) * zoom, y: (y - oy + 0.5) * zoom } });
}

async function setVariable(page, token, value) {
  const input = page.locator(`#variables tr[data-token="${token}"] input.value`);
  await input.fill(String(value));
  await input.press('Enter');
}

const logged = (page, number) => page.locator(`#log tr[data-kind="key"][data-number="${number}"]`).count();

async function main() {
  const timer = setTimeout(() => { console.log('FAIL - the checks took too long'); finish(1); }, 300000);
  timer.unref();
  profile = fs.mkdtempSync(path.join(os.tmpdir(), 'serve-e2e-profile-'));
  context = await chromium.launchPersistentContext(profile, {
    executablePath: env.CHROMIUM,
    headless: true,
    acceptDownloads: true,
    viewport: { width: 1800, height: 1250 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--no-proxy-server'],
  });
  remember(context.browser()?.process?.()?.pid);
  console.log(`modules built: ${[...built].join(', ') || 'none'}`);
  if (!built.size) return;

  const main = await serve([]);
  const page = await context.newPage();
  await page.goto(main.url);

  await check('the page shows every built gauge', [], async () => {
    await until(async () => (await page.locator('.card[data-module] img').evaluateAll(
      (imgs) => imgs.filter((i) => i.naturalWidth > 0).length)) === built.size, 10000,
      `expected ${built.size} gauge pictures`);
    for (const m of built) assert(await page.locator(`.card[data-module="${m}"]`).count() === 1, `no card for ${m}`);
  });

  await check('altitude 1000 turns the altimeter needles', ['altimeter_pair'], async () => {
    const before = await regionSum(page, 'altimeter_pair', 60, 40, 190, 220);
    assert(before !== null, 'no altimeter picture');
    await setVariable(page, 74, 1000);
    await until(async () => (await regionSum(page, 'altimeter_pair', 60, 40, 190, 220)) !== before, 5000,
                'the needles did not move');
  });

  await check('the left cowl flap OPEN lettering logs 66064 and moves the lever', ['cowl_flaps'], async () => {
    // The levers start at CLOSE; TRAIL first, so the picture before OPEN is not the first one.
    await clickGauge(page, 'cowl_flaps', 50, 100);
    await until(() => logged(page, 66066), 3000, 'TRAIL (66066) not logged');
    await sleep(300);
    const before = await regionSum(page, 'cowl_flaps', 0, 0, 140, 117);
    await clickGauge(page, 'cowl_flaps', 100, 100);
    await until(() => logged(page, 66064), 3000, '66064 not in the log');
    const row = await page.locator('#log tr[data-number="66064"]').first().innerText();
    assert(row.includes('0x10210') && row.includes('cowl_flaps'), `log row: ${row}`);
    await until(async () => (await regionSum(page, 'cowl_flaps', 0, 0, 140, 117)) !== before, 3000,
                'the lever picture did not change');
  });

  await check("an engine-1 magneto step on the first officer's overhead shows on the captain's",
              ['fo_overhead', 'captain_overhead'], async () => {
    const state0 = await api(main, '/api/state');
    const before = await regionSum(page, 'captain_overhead', 0, 0, 1023, 85);
    await clickGauge(page, 'fo_overhead', 230, 44);
    const state1 = await until(async () => {
      const s = await api(main, '/api/state');
      return s.magneto && s.magneto.engine1Magneto !== state0.magneto.engine1Magneto && s;
    }, 3000, 'the magneto block did not change');
    await until(async () => (await regionSum(page, 'captain_overhead', 0, 0, 1023, 85)) !== before, 3000,
                "the captain's overhead picture did not change");
    await until(async () => (await page.locator('#magneto').innerText()).includes(
      `engine1Magneto\t${state1.magneto.engine1Magneto}`), 3000, 'the magneto block table did not follow');
  });

  await check('a loaded scenario runs in the live panel', ['cowl_flaps'], async () => {
    const file = path.join(scratch, 'levers.scn');
    // The left lever stands at OPEN after the check before: back to CLOSE.
    fs.writeFileSync(file, 'set 76 29.92\nupdate 2\nclick cowl_flaps 5 100\n');
    await page.locator('#load').setInputFiles(file);
    await until(async () => (await page.locator('#transcript').textContent()).includes('key 66065'), 5000,
                'the transcript shows no 66065');
    await until(() => logged(page, 66065), 3000, '66065 not in the log');
  });

  await check('the saved session replays with panelhost run to the same key events', [], async () => {
    const [download] = await Promise.all([page.waitForEvent('download'), page.locator('#save').click()]);
    const file = path.join(scratch, 'session.scn');
    await download.saveAs(file);
    const state = await api(main, '/api/state?since=0');
    const liveKeys = state.events.filter((e) => e.kind === 'key').map((e) => e.number);
    let transcript;
    try {
      transcript = execFileSync(env.PANELHOST, ['run', file, '--modules', env.MODULE_DIR, '--out', scratch],
                                { encoding: 'utf8', timeout: 60000 });
    } catch (e) {
      throw new Error(`panelhost run failed: ${e.stdout || e.message}`);
    }
    const replayed = [...transcript.matchAll(/^ {2}key (\d+) /gm)].map((m) => Number(m[1]));
    assert(JSON.stringify(replayed) === JSON.stringify(liveKeys),
           `live ${liveKeys.join(' ')} but replayed ${replayed.join(' ')}`);
  });

  if (env.SCREENSHOT) {
    await page.locator('#outlines').check();
    await page.locator('#state-box summary').click();
    await page.evaluate(() => window.scrollTo(0, 0));
    const rect = page.locator('.card[data-module="cowl_flaps"] .rect').first();
    if (await rect.count()) await rect.hover().catch(() => {});
    await page.evaluate(() => window.scrollTo(0, 0));
    await sleep(600);
    await page.screenshot({ path: env.SCREENSHOT });
    console.log(`screenshot: ${env.SCREENSHOT}`);
  }

  await check('a rebuilt module is reloaded in place; a broken one keeps the old build', ['altimeter_pair'],
              async () => {
    const dir = path.join(scratch, 'watched');
    fs.mkdirSync(dir);
    const file = path.join(dir, 'altimeter_pair.so');
    const original = fs.readFileSync(path.join(env.MODULE_DIR, 'altimeter_pair.so'));
    fs.writeFileSync(file, original);
    const watched = await serve([file, '--watch']);
    const p = await context.newPage();
    await p.goto(watched.url);
    const card = p.locator('.card[data-module="altimeter_pair"]');
    await until(async () => (await card.getAttribute('data-generation')) === '1', 10000, 'no build 1 card');
    const needlesOf = async () => (await api(watched, '/api/state')).modules[0].elements.filter((e) => 'angle' in e);
    // The page may be a few frames behind the panel: a picture counts once it holds still.
    const settled = async (differentFrom) => {
      let last = null;
      return until(async () => {
        const now = await regionSum(p, 'altimeter_pair', 60, 40, 190, 220);
        const still = now === last && now !== differentFrom;
        last = now;
        if (!still) await sleep(400);
        return still && now;
      }, 10000, 'the altimeter picture did not settle');
    };
    const zeroFeet = await settled(null);
    const atZero = JSON.stringify(await needlesOf());
    await setVariable(p, 74, 1000);
    // The long needle turns a whole turn for 1000 feet, at most 6 degrees an update.
    const atRest = JSON.stringify(await until(async () => {
      const n = await needlesOf();
      return JSON.stringify(n) !== atZero && n.every((e) => e.angle === e.value) && n;
    }, 10000, 'the needles did not come to rest at 1000 feet'));

    // Another build of the same module: the same code with bytes after its end.
    const writtenAt = Date.now();
    fs.writeFileSync(file, Buffer.concat([original, Buffer.from('another build')]));
    await until(async () => (await card.getAttribute('data-generation')) === '2', 5000, 'the page did not switch');
    const took = Date.now() - writtenAt;
    console.log(`  build 2 on the page ${took} ms after the file was written`);
    assert(took < 3000, `build 2 took ${took} ms to show`);
    await until(async () => (await p.locator('.card[data-module="altimeter_pair"] img').getAttribute(
      'data-generation')) === '2', 3000, 'no picture of build 2');
    assert((await p.locator('#variables tr[data-token="74"] input.value').inputValue()) === '1000',
           'the altitude was lost');
    await until(async () => JSON.stringify(await needlesOf()) === atRest, 3000,
                'build 2 does not stand its needles at 1000 feet');
    await settled(zeroFeet);

    fs.writeFileSync(file, 'this is not a module');
    await until(async () => (await card.locator('.error').textContent()).includes('keeps running'), 5000,
                'no error shown for the broken file');
    assert((await card.getAttribute('data-generation')) === '2', 'the broken file replaced build 2');
    const frames = await p.evaluate(() => window.livePanel.framesShown);
    const s0 = await api(watched, '/api/state');
    await sleep(500);
    const s1 = await api(watched, '/api/state');
    assert(s1.modules[0].updates > s0.modules[0].updates, 'build 2 stopped updating');
    assert(s1.values['74'] === 1000, 'the altitude was lost');
    assert((await p.evaluate(() => window.livePanel.framesShown)) >= frames, 'frames stopped');
    await p.close();
  });
}

async function finish(code) {
  for (const s of servers) s.proc.kill('SIGTERM');
  await Promise.race([Promise.all(servers.map((s) => new Promise((r) => {
    if (s.proc.exitCode !== null) r(); else s.proc.on('exit', r);
  }))), sleep(5000)]);
  for (const s of servers) if (s.proc.exitCode === null) s.proc.kill('SIGKILL');
  if (context) await Promise.race([context.close().catch(() => {}), sleep(5000)]);
  fs.rmSync(scratch, { recursive: true, force: true });
  if (profile) fs.rmSync(profile, { recursive: true, force: true });
  console.log(`${results.passed} passed, ${results.failed} failed, ${results.skipped} skipped`);
  process.exit(code || (results.failed ? 1 : 0));
}

main().then(() => finish(0), (e) => { console.log(`FAIL - ${e.stack || e}`); results.failed++; finish(1); });
