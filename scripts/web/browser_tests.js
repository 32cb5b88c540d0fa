// Browser tests of the web build: the page in headless Chromium against the
// native offline renderer. Run by scripts/web/test.sh, which serves the site:
//   node scripts/web/browser_tests.js SITE_URL CAPTURE_EXE DATA_DIR TROUBLED_URL OTHER_URL OTHER_DATA_DIR
// (DATA_DIR: the show data the site was built with, build/data; TROUBLED_URL:
// scripts/web/troubled_server.py serving the same site; OTHER_URL: the site
// with other pictures, those of OTHER_DATA_DIR).
// Prints one line per test and "N passed, N failed"; exits 1 on a failure.
// SAVA_WEB_TESTS, when set, is a pattern: only the tests whose name it
// matches run.
'use strict';
const { spawn } = require('child_process');
const crypto = require('crypto');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { Browser, sleep } = require('./cdp.js');

const [siteUrl, captureExe, dataDir, troubledUrl, otherUrl, otherDataDir] = process.argv.slice(2);
const frameBytes = 400 * 300 * 4;

// ---- the native side ----------------------------------------------------

// Runs sava-capture with `args` on the site's show data (or `data`) and
// returns its standard output, cut into frames when `frames` is set: the
// SHA-256 of each frame's bytes.
function runCapture(args, { frames = false, data = dataDir } = {}) {
  return new Promise((resolve, reject) => {
    const child = spawn(captureExe, ['--data', data, ...args], { stdio: ['ignore', 'pipe', 'pipe'] });
    const chunks = [];
    const hashes = [];
    let hash = crypto.createHash('sha256');
    let filled = 0;
    let stderr = '';
    child.stderr.on('data', (d) => { stderr += d; });
    child.stdout.on('data', (data) => {
      if (!frames) return chunks.push(data);
      for (let at = 0; at < data.length;) {
        const take = Math.min(frameBytes - filled, data.length - at);
        hash.update(data.subarray(at, at + take));
        filled += take;
        at += take;
        if (filled === frameBytes) {
          hashes.push(hash.digest('hex'));
          hash = crypto.createHash('sha256');
          filled = 0;
        }
      }
    });
    child.on('error', reject);
    child.on('close', (code) => {
      if (code !== 0) reject(new Error(`sava-capture ${args.join(' ')}: status ${code}: ${stderr}`));
      else resolve(frames ? hashes : Buffer.concat(chunks));
    });
  });
}

async function nativeFrameHashes(from, to, fps, extra = [], data = dataDir) {
  return runCapture(['--from', String(from), '--to', String(to), '--fps', String(fps), '--raw', '-', ...extra],
                    { frames: true, data });
}

async function nativeFrame(ms) {
  return runCapture(['--from', String(ms), '--to', String(ms + 1), '--raw', '-']);
}

// The interleaved 16-bit samples of the soundtrack as heard from show time 0.
async function nativeSound(toMs) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'sava-web-test-'));
  try {
    await runCapture(['--to', String(toMs), '--wav', path.join(dir, 'sound.wav')]);
    return wavSamples(fs.readFileSync(path.join(dir, 'sound.wav')));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

function wavSamples(wav) {
  for (let at = 12; at + 8 <= wav.length;) {
    const id = wav.toString('latin1', at, at + 4);
    const size = wav.readUInt32LE(at + 4);
    if (id === 'data') {
      const data = wav.subarray(at + 8, at + 8 + size);
      return new Int16Array(data.buffer.slice(data.byteOffset, data.byteOffset + data.length));
    }
    at += 8 + size + (size & 1);
  }
  throw new Error('no data chunk in the WAV file');
}

// ---- pictures -------------------------------------------------------------

// Decodes an 8-bit RGB or RGBA, non-interlaced PNG (what screenshots are).
function decodePng(png) {
  let at = 8;
  let width = 0, height = 0, channels = 0;
  const idat = [];
  while (at < png.length) {
    const size = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + size);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0) throw new Error('unexpected PNG depth or interlace');
      channels = { 2: 3, 6: 4 }[body[9]];
      if (!channels) throw new Error('unexpected PNG colour type ' + body[9]);
    } else if (type === 'IDAT') {
      idat.push(body);
    }
    at += 12 + size;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const out = Buffer.alloc(height * stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? out[y * stride + x - channels] : 0;
      const b = y > 0 ? out[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? out[(y - 1) * stride + x - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = a;
      else if (filter === 2) predicted = b;
      else if (filter === 3) predicted = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out[y * stride + x] = (line[x] + predicted) & 0xff;
    }
  }
  return { width, height, channels, pixels: out };
}

// ---- the tests ------------------------------------------------------------

const results = [];
let browser;
const chosen = process.env.SAVA_WEB_TESTS ? new RegExp(process.env.SAVA_WEB_TESTS) : null;

async function test(name, body) {
  if (chosen && !chosen.test(name)) return;
  const started = Date.now();
  try {
    const note = await body();
    results.push(true);
    console.log(`ok    ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)${note ? ': ' + note : ''}`);
  } catch (error) {
    results.push(false);
    console.log(`FAIL  ${name}: ${error.message}`);
  }
}

function check(condition, message) {
  if (!condition) throw new Error(message);
}

// The page's network: `latency` ms and `down`/`up` bytes a second (-1: as
// fast as it goes), with the browser's cache out of the way; or none at all.
async function throttle(page, latency, down, up = down) {
  await page.send('Network.enable');
  await page.send('Network.setCacheDisabled', { cacheDisabled: true });
  await page.send('Network.emulateNetworkConditions',
                  { offline: false, latency, downloadThroughput: down, uploadThroughput: up });
}

async function goOffline(page) {
  await page.send('Network.enable');
  await page.send('Network.emulateNetworkConditions',
                  { offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
}

async function openPage(query = '', site = siteUrl) {
  const page = await browser.newPage({ width: 800, height: 600 });
  await page.goto(`${site}/index.html${query}`);
  return page;
}

// Runs `body` on a new page of `site`; the page must log no error unless
// `errorsExpected`.
async function withPage(query, body, { errorsExpected = false, site = siteUrl } = {}) {
  const page = await openPage(query, site);
  try {
    const note = await body(page);
    check(errorsExpected || page.errors.length === 0, 'the console shows errors: ' + page.errors.join(' | '));
    return note;
  } catch (error) {
    if (page.console.length) error.message += '\n      page console: ' + page.console.slice(-8).join('\n      ');
    throw error;
  } finally {
    await page.close().catch(() => {});
  }
}

async function captureInPage(page, from, to, fps) {
  await page.waitFor('window.savaDone', 300000, `capture ${from}..${to} at ${fps} fps`);
  return (await page.evaluate('window.savaFrames')).split('\n').filter((line) => line !== '');
}

// Until the start button is clicked, then records every buffer the page
// hands to the audio output (the same bytes the callback produced).
const recordSound = `(() => {
  const start = Module._sava_web_start;
  window.savaSound = [];
  Module._sava_web_start = (...choices) => {
    const started = start(...choices);
    const push = SDL.audio.pushAudio;
    SDL.audio.pushAudio = (ptr, size) => {
      if (window.savaSound) window.savaSound.push(Array.from(HEAP16.subarray(ptr >> 1, (ptr + size) >> 1)));
      push(ptr, size);
    };
    return started;
  };
  return true;
})()`;

async function main() {
  browser = await Browser.launch();
  let recorded = null;

  await test('on a slow network the start screen comes first and Play pressed early starts the show', () =>
    withPage('', async (page) => {
      // About a slow mobile connection: 200 kB/s, 150 ms.
      await throttle(page, 150, 200000, 100000);
      await page.goto(`${siteUrl}/index.html`);
      await page.waitFor("document.getElementById('poster').complete", 20000, 'the poster');
      const screen = await page.evaluate(`(() => {
        const meta = (name) => (document.querySelector('meta[name="' + name + '"], meta[property="' + name + '"]') || {}).content;
        return { ready: window.savaReady, title: document.getElementById('title').textContent,
                 play: !document.getElementById('start').hidden, poster: document.getElementById('poster').naturalWidth,
                 description: meta('description'), image: meta('og:image'),
                 icon: document.querySelector('link[rel="icon"]').href };
      })()`);
      check(!screen.ready, 'the pictures were all there before the start screen was checked');
      check(screen.play && screen.title === 'S\u00e4v\u00e4' && screen.poster === 400,
            `start screen: ${JSON.stringify(screen)}`);
      check(screen.description && screen.image === 'poster.jpg', `metadata: ${JSON.stringify(screen)}`);
      const icon = await page.evaluate(`fetch(${JSON.stringify(screen.icon)}).then((r) => r.status)`);
      check(icon === 200, `the favicon answers ${icon}`);
      await page.click('#start');
      const waiting = await page.evaluate("document.getElementById('start').textContent");
      check(/when loaded/.test(waiting), `Play pressed early reads "${waiting}"`);
      await throttle(page, 0, -1);
      await page.waitFor('window.savaReady && savaStatus().anchored && savaStatus().now_ms > 500', 120000,
                         'the show to start by itself');
    }));

  // The audit's phone: 1.6 Mbit/s down, 150 ms, a CPU 4 times slower. Play
  // is pressed as soon as the page has painted; the show must start on what
  // that network brings in about 4 s and not wait again over its first
  // seconds (real time: 30 s here, SAVA_WEB_PHONE_MS for longer). The times
  // are reported.
  const phoneShowMs = Number(process.env.SAVA_WEB_PHONE_MS) || 30000;
  await test(`on a phone's network and CPU, Play pressed at first paint plays after less than 1 MB and never waits ` +
             `over ${phoneShowMs / 1000} s`, () =>
    withPage('', async (page) => {
      await throttle(page, 150, 200000, 93750);
      await page.send('Emulation.setCPUThrottlingRate', { rate: 4 });
      let received = 0, bytesAtSound = -1;
      const count = (m) => {
        if (m.sessionId === page.sessionId && m.method === 'Network.dataReceived') received += m.params.encodedDataLength;
      };
      page.browser.listeners.push(count);
      try {
        await page.send('Page.navigate', { url: `${siteUrl}/index.html` });
        // Play answers once the page's scripts run (they are deferred, so
        // that the start screen paints first).
        await page.waitFor(`typeof savaStatus === 'function' && !document.getElementById('start').hidden &&
          performance.getEntriesByName('first-contentful-paint').length > 0`, 30000, 'the first paint');
        received = 0;
        await page.click('#start');
        const pressed = await page.evaluate('performance.now()');
        // The first frame drawn, and the first sound heard (the show clock
        // anchored to the output).
        const ready = await page.waitFor('window.savaReady && performance.now()', 60000, 'the show ready');
        const frame = await page.waitFor("savaStatus().frames > 0 && performance.now()", 60000, 'the first frame');
        const sound = await page.waitFor('savaStatus().anchored && performance.now()', 60000, 'the first sound');
        bytesAtSound = received;
        const times = `Play to ready ${((ready - pressed) / 1000).toFixed(1)} s, to the first frame ${((frame - pressed) / 1000).toFixed(1)} s, ` +
                      `to the first sound ${((sound - pressed) / 1000).toFixed(1)} s, ` +
                      `${(bytesAtSound / 1e6).toFixed(2)} MB before it`;
        // What must arrive before the first sound, not how fast a loaded test
        // machine gets there: that network brings 0.8 MB in 4 s, and what the
        // show needs to start is about 0.6 MB (pictures already asked for
        // may still come in beside it).
        check(bytesAtSound <= 1e6, `too much before the first sound: ${times}`);
        await page.waitFor(`savaWaits.length > 0 || savaStatus().waiting || savaStatus().now_ms >= ${phoneShowMs}`,
                           phoneShowMs + 30000, `${phoneShowMs / 1000} s of show`);
        const waited = await page.evaluate('savaWaits.length ? savaWaits : savaStatus().waiting ? [savaStatus().time_ms] : []');
        check(waited.length === 0, `the show waited at ${waited.join(', ')} ms (${times})`);
        return times;
      } finally {
        page.browser.listeners.splice(page.browser.listeners.indexOf(count), 1);
      }
    }));

  await test('the show starts before all its pictures are here, and a timeline click past them waits visibly', () =>
    withPage('', async (page) => {
      await throttle(page, 40, 1000000);
      await page.goto(`${siteUrl}/index.html`);
      await page.click('#start');
      await page.waitFor('savaStatus().anchored && savaStatus().now_ms > 200', 120000, 'the show to start');
      const early = await page.evaluate('savaStatus().decoded');
      check(early < 224, `all ${early} pictures were there before the show started`);
      // The controls, then a click at 2:45 on the timeline (the credits, which
      // come last in show order).
      await page.send('Input.dispatchMouseEvent', { type: 'mouseMoved', x: 400, y: 300 });
      await page.waitFor("!document.getElementById('controls').hidden", 5000, 'the controls');
      const at = await page.evaluate(`(() => { const r = document.getElementById('controls-timeline')
        .getBoundingClientRect(); return { x: r.x + r.width * 165000 / 184000, y: r.y + r.height / 2 }; })()`);
      for (const type of ['mousePressed', 'mouseReleased']) {
        await page.send('Input.dispatchMouseEvent', { type, x: at.x, y: at.y, button: 'left', clickCount: 1 });
      }
      await page.waitFor('savaWaits.length > 0', 10000, 'the show to wait for the credits');
      const waitedAt = await page.evaluate('savaWaits[0]');
      check(Math.abs(waitedAt - 165000) < 500, `the show waited at ${waitedAt} ms`);
      await page.waitFor('!savaStatus().waiting && savaStatus().time_ms > 165500', 60000, 'the show to go on');
      check(await page.evaluate("document.getElementById('waiting').hidden"), 'the waiting note stays');
      const loaded = await page.evaluate("document.querySelectorAll('#controls-timeline .loaded').length");
      check(loaded > 0, 'the timeline shows no loaded scene');
      return `${early} of 224 pictures there at the start`;
    }));

  await test('under a four times slower processor the pictures keep arriving between the frames while the show plays (the whole frames measured)', () =>
    withPage('', async (page) => {
      // The files keep arriving, and being decoded, through the first seconds of the show.
      await throttle(page, 40, 1000000);
      await page.send('Emulation.setCPUThrottlingRate', { rate: 4 });
      await page.goto(`${siteUrl}/index.html`);
      await page.click('#start');
      await page.waitFor('savaStatus().anchored', 120000, 'the show to start');
      const [from, before] = await page.evaluate('[savaStatus().time_ms, savaStatus().decoded]');
      await page.waitFor(`savaStatus().time_ms > ${from + 10000}`, 60000, 'ten seconds of show');
      const [f, { decoded, ...t }] = await page.evaluate('[savaFrameStats(), savaStatus()]');
      await page.send('Emulation.setCPUThrottlingRate', { rate: 1 });
      // Of each frame, the show's part: drawing it and putting it on the canvas.
      const figures = `median ${f.median} ms, p99 ${f.p99} ms, worst ${f.worst} ms over ${f.count} frames ` +
                      `(of which drawing ${t.render_ms_mean.toFixed(2)} ms and the canvas ` +
                      `${t.present_ms_mean.toFixed(2)} ms on average), ${decoded} pictures decoded`;
      // The figures are this machine's, reported rather than bounded: a loaded
      // test machine says nothing of a phone's frames.
      check(f.count > 0 && f.median <= f.p99 && f.p99 <= f.worst, `whole frames: ${figures}`);
      check(decoded > before, `no picture decoded while the show played (${before} before, ${decoded} after)`);
      return figures;
    }));

  await test('the page loads, names the show and plays it in time with its sound', () =>
    withPage('', async (page) => {
      await page.waitFor('window.savaReady', 120000, 'the pictures');
      const label = await page.evaluate("document.getElementById('start').textContent");
      check(label.includes('S\u00e4v\u00e4'), `start button reads "${label}"`);
      const warning = await page.evaluate(
        "document.getElementById('warning').hidden ? '' : document.getElementById('warning').textContent");
      check(/flashing lights/.test(warning) && /Reduce flashing/.test(warning), `the warning reads "${warning}"`);
      await page.evaluate(recordSound);
      await page.click('#start');
      await page.waitFor('savaStatus().anchored && savaStatus().now_ms > 3000', 30000, 'three seconds of show');
      const state = await page.evaluate('savaAudioState()');
      check(state === 'running', `audio context is ${state}`);
      const status = await page.evaluate('savaStatus()');
      check(status.phase === 'playing', `phase is ${status.phase}`);
      // 3 s of sound at 2048 sample frames per callback is about 65 calls.
      check(status.audio_callbacks >= 60, `only ${status.audio_callbacks} audio callbacks`);
      check(status.frames >= 30, `only ${status.frames} frames drawn`);
      // The show clock of the last frame against the sound heard at the
      // moment that frame read it (the output clock).
      const drift = await page.evaluate(`(() => {
        const status = savaStatus();
        const stamp = SDL.audioContext.getOutputTimestamp();
        const heardMs = (stamp.contextTime - SDL.audio.firstStart) * 1000 +
                        (status.clock_read_at_ms - stamp.performanceTime);
        return status.now_ms - heardMs;
      })()`);
      check(Math.abs(drift) < 30, `show clock is ${drift.toFixed(1)} ms off the sound`);
      await page.waitFor('savaSound.length >= 120', 30000, '120 recorded sound buffers');
      recorded = await page.evaluate('(() => { const s = savaSound; window.savaSound = null; return s; })()');
      const t = await page.evaluate('savaStatus()');
      const f = await page.evaluate('savaFrameStats()');
      check(f.count > 0 && f.median <= f.p99 && f.p99 <= f.worst, `frame statistics ${JSON.stringify(f)}`);
      return `whole frames median ${f.median} ms, p99 ${f.p99} ms, worst ${f.worst} ms; ` +
             `${t.audio_callbacks} callbacks, clock ${drift.toFixed(1)} ms from the sound, ` +
             `frame time ${t.render_ms_mean.toFixed(2)} ms render + ${t.present_ms_mean.toFixed(2)} ms present ` +
             `(max ${t.render_ms_max.toFixed(1)} + ${t.present_ms_max.toFixed(1)}) over ${t.frames} frames`;
    }));

  await test('a second visit plays without a network', () =>
    withPage('', async (page) => {
      await page.waitFor('window.savaOffline', 120000, 'all the files');
      check(await page.evaluate('window.savaOffline'), 'the site was not kept for offline visits');
      await goOffline(page);
      await page.goto(`${siteUrl}/index.html`);
      await page.waitFor('window.savaReady', 120000, 'the pictures, offline');
      await page.click('#start');
      await page.waitFor('savaStatus().anchored && savaStatus().now_ms > 500', 30000, 'the show to run offline');
    }));

  await test('a returning visitor gets a new build, kept for offline visits in place of the old one', () =>
    withPage('', async (page) => {
      const site = `${troubledUrl}/renewed`;
      const kept = async (what) => {
        await page.waitFor('window.savaOffline', 120000, what);
        return page.evaluate(`offlineWorker.replace(/^sw-|\\.js$/g, '')`);
      };
      const first = await kept('the first build kept');
      await page.evaluate(`fetch('${site}/next').then((r) => r.ok)`);
      await page.goto(`${site}/index.html`);
      const second = await kept('the second build kept');
      check(second !== first, `the second visit runs build ${second}, the first ran ${first}`);
      await page.waitFor(`caches.keys().then((k) => k.join() === 'sava-${second}')`, 60000, 'the old cache gone');
      await goOffline(page);
      await page.goto(`${site}/index.html`);
      await page.waitFor('window.savaReady', 120000, 'the pictures, offline');
      check(await page.evaluate(`offlineWorker === 'sw-${second}.js'`), 'offline, the page is not the second build');
      await page.click('#start');
      await page.waitFor('savaStatus().anchored && savaStatus().now_ms > 500', 30000, 'the show to run offline');
    }, { site: `${troubledUrl}/renewed` }));

  await test('the sound the page plays is the native soundtrack (samples within 1)', async () => {
    check(recorded !== null, 'no sound was recorded');
    const web = Int16Array.from(recorded.flat());
    const native = await nativeSound(Math.ceil(web.length / 2 / 44.1) + 100);
    check(native.length >= web.length, `native sound has ${native.length} samples, the page ${web.length}`);
    let differing = 0, largest = 0;
    for (let i = 0; i < web.length; ++i) {
      const d = Math.abs(web[i] - native[i]);
      if (d) ++differing;
      largest = Math.max(largest, d);
    }
    check(largest <= 1, `samples differ by up to ${largest}`);
    return `${web.length} samples, ${differing} (${(100 * differing / web.length).toFixed(3)} %) differ by 1`;
  });

  await test('on a phone-sized touch screen a tap shows the controls, which end the show', () =>
    withPage('', async (page) => {
      await page.send('Emulation.setDeviceMetricsOverride', { width: 390, height: 844, deviceScaleFactor: 1, mobile: true });
      await page.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 1 });
      await page.waitFor('window.savaReady', 120000, 'the pictures');
      const tap = async (selector, fraction = 0.5) => {
        const at = await page.evaluate(`(() => { const r = document.querySelector(${JSON.stringify(selector)})
          .getBoundingClientRect(); return { x: r.x + r.width * ${fraction}, y: r.y + r.height / 2 }; })()`);
        await page.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [at] });
        await page.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
      };
      await tap('#start');
      await page.waitFor('savaStatus().anchored && savaStatus().now_ms > 500', 30000, 'the show to run');
      await tap('#canvas');
      await page.waitFor(`(() => { const c = document.getElementById('controls');
        return !c.hidden && !c.classList.contains('resting'); })()`, 2000, 'the controls');
      const named = await page.evaluate(`[...document.querySelectorAll('#controls button')]
        .every((b) => b.getAttribute('aria-label'))`);
      check(named, 'a control has no name');
      // A tap three quarters along the timeline seeks there (138 s).
      await tap('#controls-timeline', 0.75);
      await page.waitFor('savaStatus().time_ms >= 138000 && savaStatus().time_ms < 150000', 30000,
                         'the show to go on from 2:18');
      await tap('#controls-reduce-flashing');
      const dimmed = await page.evaluate("document.getElementById('reduce-flashing').checked");
      check(dimmed, 'the reduced-flashing control did not switch the choice');
      await tap('#controls-end');
      await page.waitFor("savaStatus().phase === 'ended'", 5000, 'the show to end');
    }));

  await test('a seek into the last moments shows the end screen, and Play again plays the show without a reload', () =>
    withPage('', async (page) => {
      await page.waitFor('window.savaReady', 120000, 'the show ready');
      await page.click('#start');
      await page.waitFor('savaStatus().anchored && savaStatus().now_ms > 500', 30000, 'the show to run');
      await page.evaluate('window.savaSamePage = true');
      // A click one pixel left of the timeline's end.
      await page.send('Input.dispatchMouseEvent', { type: 'mouseMoved', x: 400, y: 300 });
      await page.waitFor("!document.getElementById('controls').hidden", 5000, 'the controls');
      const at = await page.evaluate(`(() => { const r = document.getElementById('controls-timeline')
        .getBoundingClientRect(); return { x: r.right - 1, y: r.y + r.height / 2 }; })()`);
      for (const type of ['mousePressed', 'mouseReleased']) {
        await page.send('Input.dispatchMouseEvent', { type, x: at.x, y: at.y, button: 'left', clickCount: 1 });
      }
      await page.waitFor(`!document.getElementById('start').hidden &&
        /ended/.test(document.getElementById('status').textContent)`, 60000, 'the end screen');
      await page.click('#start');
      await page.waitFor('window.savaSamePage && savaStatus().phase === "playing" && savaStatus().anchored && ' +
                         'savaStatus().time_ms > 500', 30000, 'the show to play again in the same page');
      const at2 = await page.evaluate('savaStatus().time_ms');
      check(at2 < 10000, `playing again from ${at2} ms`);
    }));

  await test('a link to #t=1:04.5 offers and starts the show at that time', () =>
    withPage('#t=1:04.5', async (page) => {
      await page.waitFor('window.savaReady', 120000, 'the pictures');
      const label = await page.evaluate("document.getElementById('start').textContent");
      check(/from 1:04\.5$/.test(label), `start button reads "${label}"`);
      await page.click('#start');
      await page.waitFor('savaStatus().anchored && savaStatus().frames > 0', 30000, 'the show to run');
      const ms = await page.evaluate('savaStatus().now_ms');
      check(ms >= 64500 && ms < 64500 + 5000, `the show is at ${ms} ms`);
    }));

  await test('releasing Escape ends the show; pressing it does not', () =>
    withPage('', async (page) => {
      await page.waitFor('window.savaReady', 120000, 'the pictures');
      await page.click('#start');
      await page.waitFor('savaStatus().anchored && savaStatus().now_ms > 500', 30000, 'the show to run');
      await page.key('keyDown', 'Escape', 'Escape', 27);
      await sleep(300);
      const held = await page.evaluate('savaStatus().phase');
      check(held === 'playing', `holding Escape left the show ${held}`);
      await page.key('keyUp', 'Escape', 'Escape', 27);
      await page.waitFor("savaStatus().phase === 'ended'", 5000, 'the show to end');
      await page.waitFor("savaAudioState() !== 'running'", 5000, 'the sound to stop');
      const text = await page.evaluate("document.getElementById('status').textContent");
      check(/ended/.test(text), `the page says "${text}"`);
    }));

  await test('the keys pause, seek and loop as on the desktop', () =>
    withPage('', async (page) => {
      await page.waitFor('window.savaReady', 120000, 'the show to be ready');
      await page.click('#start');
      await page.waitFor('savaStatus().anchored && savaStatus().time_ms > 1500', 30000, 'the show to run');
      const keys = {
        Space: [' ', 32], ArrowRight: ['ArrowRight', 39], ArrowLeft: ['ArrowLeft', 37], PageDown: ['PageDown', 34],
        PageUp: ['PageUp', 33], Home: ['Home', 36], KeyL: ['l', 76],
      };
      const status = () => page.evaluate('savaStatus()');
      const press = async (code) => {
        const [key, keyCode] = keys[code];
        await page.key('keyDown', key, code, keyCode);
        await page.key('keyUp', key, code, keyCode);
      };
      // Each key, from a paused show so that the times are exact: the state
      // the page reports once the key has been acted on.
      const expectAfter = async (code, condition, what) => {
        const before = await status();
        await press(code);
        const state = `(() => { const before = ${JSON.stringify(before)}, s = savaStatus(); return ${condition}; })()`;
        try {
          await page.waitFor(state, 5000, `${code}: ${what}`);
        } catch (error) {
          error.message += ` (before ${JSON.stringify(before)}, now ${JSON.stringify(await status())})`;
          throw error;
        }
        return status();
      };
      // The picture runs on with the sound already handed out to the output
      // (less than a second of it), then stays.
      const pressed = await expectAfter('Space', 's.paused && s.time_ms >= before.time_ms', 'paused');
      await sleep(1000);
      const paused = await status();
      await sleep(300);
      const still = await status();
      check(still.paused && still.time_ms === paused.time_ms && paused.time_ms - pressed.time_ms < 1000,
            `paused at ${pressed.time_ms}, then ${paused.time_ms}, then ${still.time_ms}`);
      await expectAfter('ArrowRight', 's.paused && s.time_ms === before.time_ms + 1000', '1 s on, still paused');
      await expectAfter('ArrowLeft', 's.time_ms === before.time_ms - 1000', '1 s back');
      await expectAfter('PageDown', 's.time_ms === 8000 && s.cue === 1', 'to the next cue');
      await expectAfter('PageDown', 's.time_ms === 16000 && s.cue === 2', 'to the next cue');
      await expectAfter('PageUp', 's.time_ms === 8000 && s.cue === 1', 'to the previous cue');
      await expectAfter('Home', 's.time_ms === 0 && s.cue === 0', 'to the start');
      await expectAfter('PageDown', 's.time_ms === 8000', 'to the next cue');
      await expectAfter('ArrowLeft', 's.time_ms === 7000 && s.cue === 0', 'back into the first scene');
      await expectAfter('KeyL', 's.looping && s.paused', 'looping');
      // Going on, the scene loops back to its start instead of passing the next cue.
      await expectAfter('Space', '!s.paused && s.time_ms > before.time_ms', 'going on');
      await page.waitFor('savaStatus().time_ms < 1000', 10000, 'the loop back to the scene\'s start');
      const looped = await status();
      check(looped.cue === 0 && looped.looping, `after the loop: cue ${looped.cue}, looping ${looped.looping}`);
      await expectAfter('KeyL', '!s.looping', 'looping no more');
      const end = await status();
      check(end.phase === 'playing', `phase is ${end.phase}`);
      return `paused at ${paused.time_ms} ms; seeks, cues, loop and resume as on the desktop`;
    }));

  const windows = [
    { what: 'a cue start (keyword photo scene)', from: 48000, to: 49000, fps: 60 },
    { what: 'a scene middle (panorama)', from: 150000, to: 151500, fps: 60 },
    { what: 'the end screen to the last cue', from: 180000, to: 184000, fps: 30 },
    { what: 'reduced flashing, easing into a blurred sequence', from: 113500, to: 115000, fps: 60, reduce: true },
  ];
  for (const w of windows) {
    await test(`capture mode ${w.from}..${w.to} ms at ${w.fps} fps (${w.what}) equals the native frames`, () =>
      withPage(`?from=${w.from}&to=${w.to}&fps=${w.fps}${w.reduce ? '&reduce-flashing=1' : ''}`, async (page) => {
        const [web, native] = await Promise.all([
          captureInPage(page, w.from, w.to, w.fps),
          nativeFrameHashes(w.from, w.to, w.fps, w.reduce ? ['--reduce-flashing'] : [])]);
        check(web.length === native.length, `${web.length} frames in the page, ${native.length} native`);
        const first = web.findIndex((h, i) => h !== native[i]);
        check(first < 0, `frame ${first} (${w.from + Math.floor(first * 1000 / w.fps)} ms) differs`);
        const status = await page.evaluate('savaStatus()');
        return `${web.length} frames, render ${status.render_ms_mean.toFixed(2)} ms mean`;
      }));
  }

  await test('the page shows the native frame, each show pixel a sharp 2x2 block at 800x600', () =>
    withPage('?from=130500&to=130501', async (page) => {
      const [frames, native] = await Promise.all([captureInPage(page, 130500, 130501, 60), nativeFrame(130500)]);
      check(frames.length === 1, `${frames.length} frames`);
      await sleep(200);  // the last frame reaches the screen
      const shot = decodePng(await page.screenshot());
      check(shot.width === 800 && shot.height === 600, `screenshot is ${shot.width}x${shot.height}`);
      let wrong = 0, example = '';
      for (let y = 0; y < 600; ++y) {
        for (let x = 0; x < 800; ++x) {
          const s = (y * 800 + x) * shot.channels;
          const n = ((y >> 1) * 400 + (x >> 1)) * 4;  // native bytes: B, G, R, A
          if (shot.pixels[s] !== native[n + 2] || shot.pixels[s + 1] !== native[n + 1] ||
              shot.pixels[s + 2] !== native[n]) {
            if (!wrong++) example = `at (${x}, ${y}): page ${shot.pixels.subarray(s, s + 3).join(',')}, ` +
                                    `native ${native[n + 2]},${native[n + 1]},${native[n]}`;
          }
        }
      }
      check(wrong === 0, `${wrong} screen pixels differ, first ${example}`);
    }));

  // A plan it cannot take is refused where it is read, with one line.
  const badPlans = [
    { query: '?from=0&to=1000&fps=0', says: /--fps/ },
    { query: '?from=0&to=100000000&fps=1000', says: /at most 1000000 frames/ },
  ];
  for (const plan of badPlans) {
    await test(`capture mode refuses ${plan.query} with one line`, () =>
      withPage(plan.query, async (page) => {
        const error = await page.waitFor('window.savaError', 60000, 'the error');
        check(error.split('\n').length === 1 && plan.says.test(error), `the page says "${error}"`);
      }, { errorsExpected: true }));
  }

  // A download that fails is reported within seconds, with a way to try
  // again that works once the server has the file.
  const troubles = [
    { place: 'missing', reason: /404/ },
    { place: 'short', reason: /incomplete/ },
    { place: 'long', reason: /longer than listed/ },
    { place: 'stalled', reason: /nothing arrived/ },
    { place: 'second-time', reason: /404/, retried: true },
  ];
  for (const t of troubles) {
    await test(`data/rinnu.mp3 ${t.place}: the page says so within 10 s and offers to try again`, () =>
      withPage('', async (page) => {
        const error = await page.evaluate(`new Promise((resolve) => {
          const started = Date.now();
          const look = () => window.savaError || Date.now() - started > 10000 ? resolve(window.savaError) : setTimeout(look, 50);
          look();
        })`);
        check(error && t.reason.test(error), `the page says "${error}"`);
        const shown = await page.evaluate("document.getElementById('status').textContent");
        check(shown === error, `the page shows "${shown}"`);
        check(!(await page.evaluate("document.getElementById('retry').hidden")), 'no button to try again');
        if (t.retried) {
          await page.click('#retry');
          await page.waitFor('window.savaReady', 120000, 'the show ready after trying again');
        }
        return error;
      }, { errorsExpected: true, site: `${troubledUrl}/${t.place}` }));
  }

  // A damaged list is said in one line, where the start screen was, without
  // an uncaught error.
  for (const place of ['picture-out-of-range', 'no-scenes', 'wrong-types']) {
    await test(`data/show.json damaged (${place}): the page says so in one line`, () =>
      withPage('', async (page) => {
        const error = await page.waitFor('window.savaError', 10000, 'the message');
        const shown = await page.evaluate(`({ text: document.getElementById('status').textContent,
          play: document.getElementById('start').hidden })`);
        check(/data\/show\.json is damaged/.test(error) && error.split('\n').length === 1 && shown.text === error &&
              shown.play, `the page says "${error}", shows ${JSON.stringify(shown)}`);
        return error;
      }, { site: `${troubledUrl}/${place}` }));
  }

  await test('links into the show: seconds past 59 are no link, one pasted before Play moves the start', () =>
    withPage('#t=1:99.5', async (page) => {
      await page.waitFor('window.savaShowList && window.savaReady', 120000, 'the show ready');
      const label = () => page.evaluate("document.getElementById('start').textContent");
      const invalid = await label();
      check(!/from/.test(invalid), `#t=1:99.5 gives "${invalid}"`);
      await page.evaluate("location.hash = '#t=1:40'");
      await page.waitFor("/from 1:40/.test(document.getElementById('start').textContent)", 5000, 'the new start named');
      await page.click('#start');
      await page.waitFor('savaStatus().anchored && savaStatus().time_ms > 100000', 120000, 'the show from 1:40');
      const at = await page.evaluate('savaStatus().time_ms');
      check(at < 110000, `the show is at ${at} ms`);
    }));

  await test('every move fetches toward where it lands, waiting or not; the browser\'s media controls act on the show', () =>
    withPage('', async (page) => {
      await throttle(page, 40, 1000000);
      await page.goto(`${siteUrl}/index.html`);
      await page.click('#start');
      await page.waitFor('savaStatus().anchored', 120000, 'the show to start');
      await throttle(page, 100, 30000);
      // The files still to fetch that the scene at `ms` uses come first.
      const fetchesFor = (ms) => page.evaluate(`(() => {
        const s = sceneAt(${ms}), first = queue.findIndex((e) => !e.scenes.includes(s));
        return { left: queue.filter((e) => e.scenes.includes(s)).length,
                 first: first < 0 || queue.slice(first).every((e) => !e.scenes.includes(s)) };
      })()`);
      // The sound is fetched from the byte that playing on from `ms` needs
      // next (unless all of it is here).
      const soundFor = (ms) => page.waitFor(`(() => {
        const next = Module._sava_web_sound_next_byte(${ms});
        return next >= showList.soundtrack.bytes || (soundRequest && soundRequest.at <= next && next < soundRequest.to);
      })()`, 5000, `the sound fetched from ${ms} ms`);
      await page.evaluate('Module._sava_web_seek(150000)');
      await page.waitFor('savaStatus().waiting', 10000, 'the show to wait at 2:30');
      const there = await fetchesFor(150000);
      check(there.first, `after a seek to 2:30: ${JSON.stringify(there)}`);
      await soundFor(150000);
      const session = await page.evaluate(`'mediaSession' in navigator && navigator.mediaSession.metadata &&
        { title: navigator.mediaSession.metadata.title, art: navigator.mediaSession.metadata.artwork[0].src }`);
      check(!session || (session.title === 'S\u00e4v\u00e4' && /poster\.jpg$/.test(session.art)),
            `media metadata ${JSON.stringify(session)}`);
      // Still waiting, the media controls' seek to 1:40.
      await page.evaluate('savaMediaActions.seekto({ seekTime: 100 })');
      const moved = await fetchesFor(100000);
      check(moved.first && moved.left > 0, `after a seek to 1:40 while waiting: ${JSON.stringify(moved)}`);
      await soundFor(100000);
      await page.evaluate('savaMediaActions.pause()');
      await page.waitFor('savaStatus().paused', 5000, 'the pause');
      if (session) await page.waitFor("navigator.mediaSession.playbackState === 'paused'", 5000, 'the media state');
      await page.evaluate('savaMediaActions.play()');
      await page.waitFor('!savaStatus().paused', 5000, 'playing again');
      return `${moved.left} files of the scene at 1:40 first; media session ${session ? 'checked' : 'not in this browser'}`;
    }));

  await test('a file that fails while the show plays is reported over it, and trying again lets the show go on', () =>
    withPage('', async (page) => {
      await page.waitFor('window.savaReady', 120000, 'the show ready');
      await page.click('#start');
      await page.waitFor('window.savaError', 30000, 'the late picture to fail');
      const error = await page.evaluate('window.savaError');
      check(/stairs15\.jpg.*404/.test(error), `the page says "${error}"`);
      check(await page.evaluate("savaStatus().phase === 'playing' && !document.getElementById('panel').hidden"),
            'the message is not shown over the playing show');
      await page.click('#retry');
      const after = await page.evaluate(`({ panel: document.getElementById('panel').hidden,
        play: document.getElementById('start').hidden })`);
      check(after.panel && after.play, `after trying again: ${JSON.stringify(after)}`);
      await page.waitFor("savaStatus().decoded === 224 && savaStatus().phase === 'playing'", 60000,
                         'every picture, the show playing');
    }, { errorsExpected: true, site: `${troubledUrl}/late` }));

  // Other pictures (their stretches in their own list): the page softens
  // them where and as the native renderer does, easing in from their own.
  await test('capture mode with other pictures, easing into their first deep softening, equals the native frames', () =>
    withPage('?from=22500&to=23300&fps=60&reduce-flashing=1', async (page) => {
      const [web, native, plain] = await Promise.all([
        captureInPage(page, 22500, 23300, 60),
        nativeFrameHashes(22500, 23300, 60, ['--reduce-flashing'], otherDataDir),
        nativeFrameHashes(22500, 23300, 60, [], otherDataDir)]);
      const differ = web.map((h, i) => h !== native[i]).indexOf(true);
      check(web.length === native.length && differ < 0,
            `${web.length} frames in the page, ${native.length} native; frame ${differ} differs`);
      // The window starts before the easing: its first frame is the show's own.
      const softened = plain.filter((h, i) => h !== native[i]).length;
      check(softened >= 30 && plain[0] === native[0],
            `${softened} frames softened, the first frame among them: ${plain[0] !== native[0]}`);
      return `${web.length} frames, ${softened} of them softened`;
    }, { site: otherUrl }));

  await browser.close();
  const passed = results.filter(Boolean).length;
  console.log(`${passed} passed, ${results.length - passed} failed`);
  process.exit(passed === results.length ? 0 : 1);
}

main().catch(async (error) => {
  console.log(`FAIL  ${error.stack}`);
  if (browser) await browser.close().catch(() => {});
  console.log(`${results.filter(Boolean).length} passed, ${results.filter((r) => !r).length + 1} failed`);
  process.exit(1);
});
