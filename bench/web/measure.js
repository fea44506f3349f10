// Figures of the web page in headless Chromium, served from 127.0.0.1:
//   node bench/web/measure.js [WEB_DIR] [NATIVE_BENCH]
// (defaults: build/web from `make web`, build/release/kalvenorix_bench)
// - frame cost: the benchmark's editor scene (512 shapes) and playback scene
//   (64 actors) per frame in the page (frame_cost.html), next to the native
//   suite's figures for the same scenes from this run;
// - transfer size of kalvenorix.wasm + kalvenorix.js (as served, and gzipped);
// - page load to first frame: navigation start to the first frame on the
//   canvas, a fresh profile each time, the median of 5 loads;
// - idle CPU: processor time of all of chromium's processes over 10 s with
//   the editor at rest, against the same browser showing a blank page.
// Uses the browser tests' puppeteer-core (tests/web/node_modules).
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');

const kRepo = path.resolve(__dirname, '../..');
const puppeteer = require(path.join(kRepo, 'tests/web/node_modules/puppeteer-core'));
const { start } = require(path.join(kRepo, 'web/serve.js'));
const webDir = process.argv[2] || path.join(kRepo, 'build/web');
const nativeBench = process.argv[3] || path.join(kRepo, 'build/release/kalvenorix_bench');
const kChromium = process.env.CHROMIUM || '/usr/bin/chromium';
const kIdleSeconds = 10;
const kLoads = 5;

const kFlags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                '--disable-background-networking', '--disable-component-update', '--disable-sync'];

async function launch(work) {
  return puppeteer.launch({ executablePath: kChromium, headless: true, args: kFlags,
                            userDataDir: fs.mkdtempSync(path.join(work, 'profile-')) });
}

// ---- Native figures ---------------------------------------------------------------
function nativeFrameCost(work) {
  if (!fs.existsSync(nativeBench)) return null;
  const out = path.join(work, 'native.json');
  execFileSync(nativeBench, ['--benchmark_filter=^(EditorRedraw/512|PlaybackFrames|ClearPresent)$',
                             '--benchmark_min_time=1', '--benchmark_out_format=json',
                             '--benchmark_out=' + out], { stdio: 'ignore' });
  const figures = {};
  for (const b of JSON.parse(fs.readFileSync(out, 'utf8')).benchmarks) figures[b.name] = b.real_time;
  return { editor_us: figures['EditorRedraw/512'], playback_us: figures.PlaybackFrames,
           present_us: figures.ClearPresent };  // microseconds, as the suite reports them
}

// ---- Processor time of a process tree, from /proc -------------------------------
const kTicksPerSecond = 100;  // USER_HZ on Linux

function processTreeTicks(rootPid) {
  const parents = new Map(), ticks = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    let stat;
    try { stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8'); } catch { continue; }
    // The fields after the command name, which may hold spaces and brackets.
    const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    parents.set(Number(entry), Number(fields[1]));
    ticks.set(Number(entry), Number(fields[11]) + Number(fields[12]));  // utime + stime
  }
  let total = 0;
  for (const [pid, t] of ticks) {
    for (let p = pid; p > 1; p = parents.get(p) || 0)
      if (p === rootPid) { total += t; break; }
  }
  return total;
}

async function idleCpu(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 700 });
  await page.goto(url);
  await page.waitForFunction(() => window.knHost === undefined || knHost.firstFrameAt > 0);
  await new Promise(r => setTimeout(r, 2000));  // start-up work settles
  const pid = browser.process().pid;
  const before = processTreeTicks(pid);
  await new Promise(r => setTimeout(r, kIdleSeconds * 1000));
  const used = processTreeTicks(pid) - before;
  await page.close();
  return 100 * used / kTicksPerSecond / kIdleSeconds;  // per cent of one core
}

// ---- Page figures --------------------------------------------------------------------
async function loadTimes(work, url) {
  const times = [];
  for (let i = 0; i < kLoads; ++i) {
    const browser = await launch(work);
    const page = await browser.newPage();
    await page.setViewport({ width: 800, height: 700 });
    await page.goto(url);
    await page.waitForFunction(() => knHost.firstFrameAt > 0);
    times.push(await page.evaluate(() => knHost.firstFrameAt));
    await browser.close();
  }
  times.sort((a, b) => a - b);
  return { median: times[Math.floor(times.length / 2)], all: times };
}

async function webFrameCost(browser, url) {
  const page = await browser.newPage();
  await page.goto(url + 'frame_cost.html');
  await page.waitForFunction(() => window.knFrameCost !== undefined, { timeout: 120000 });
  const figures = await page.evaluate(() => window.knFrameCost);
  await page.close();
  return figures;
}

function transferSize() {
  let raw = 0, gzipped = 0;
  for (const name of ['kalvenorix.wasm', 'kalvenorix.js']) {
    const bytes = fs.readFileSync(path.join(webDir, name));
    raw += bytes.length;
    gzipped += zlib.gzipSync(bytes, { level: 9 }).length;
  }
  const data = fs.statSync(path.join(webDir, 'kalvenorix.data')).size;
  return { raw, gzipped, data };
}

async function main() {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kn-web-measure-'));
  const server = await start(webDir, 0);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const f = (v, digits = 1) => v.toFixed(digits);
  try {
    const native = nativeFrameCost(work);
    const browser = await launch(work);
    const web = await webFrameCost(browser, url);
    console.log('Frame cost (mean time per frame)        browser     native   ratio');
    for (const [name, key] of [['editor scene, 512 shapes', 'editor_us'],
                               ['playback scene, 64 actors', 'playback_us'],
                               ['clear and present', 'present_us']]) {
      const n = native ? native[key] : NaN;
      console.log(`  ${name.padEnd(36)} ${f(web[key]).padStart(7)} us ${f(n).padStart(7)} us  ${f(web[key] / n, 2)}x`);
    }
    const size = transferSize();
    console.log(`Transfer size, .wasm + .js: ${size.raw} bytes (${size.gzipped} gzipped); ` +
                `packed device folder ${size.data} bytes`);
    const load = await loadTimes(work, url);
    console.log(`Page load to first frame: median ${f(load.median)} ms ` +
                `(${load.all.map(t => f(t)).join(', ')})`);
    const blank = await idleCpu(browser, 'about:blank');
    const editor = await idleCpu(browser, url);
    console.log(`Idle CPU over ${kIdleSeconds} s, all chromium processes: editor at rest ${f(editor, 2)}% ` +
                `of a core; blank page ${f(blank, 2)}%`);
    await browser.close();
  } finally {
    server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
}

main().catch(function (error) {
  console.error(error);
  process.exit(1);
});
