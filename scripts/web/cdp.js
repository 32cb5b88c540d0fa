// A minimal DevTools-protocol client for headless Chromium over
// --remote-debugging-pipe (messages are JSON texts ended by a NUL byte; the
// browser reads fd 3 and writes fd 4). Node's standard library only.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

class Browser {
  static async launch({ width = 800, height = 600 } = {}) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'sava-chromium-'));
    const args = [
      '--headless', '--remote-debugging-pipe', '--no-first-run', '--no-default-browser-check',
      `--user-data-dir=${profile}`, `--window-size=${width},${height}`,
      // Sound may start without a click; colours reach screenshots unchanged.
      '--autoplay-policy=no-user-gesture-required', '--force-color-profile=srgb',
      '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
      '--disable-backgrounding-occluded-windows', '--mute-audio',
    ];
    if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
    const child = spawn(process.env.SAVA_CHROMIUM || 'chromium', [...args, 'about:blank'],
                        { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
    let stderr = '';
    child.stderr.on('data', (d) => { stderr = (stderr + d).slice(-4000); });
    const browser = new Browser(child, profile, () => stderr);
    await browser.send('Browser.getVersion');
    return browser;
  }

  constructor(child, profile, stderr) {
    this.child = child;
    this.profile = profile;
    this.stderr = stderr;
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    this.exited = false;
    let buffer = Buffer.alloc(0);
    child.stdio[4].on('data', (chunk) => {
      buffer = Buffer.concat([buffer, chunk]);
      let end;
      while ((end = buffer.indexOf(0)) >= 0) {
        const message = JSON.parse(buffer.subarray(0, end).toString('utf8'));
        buffer = buffer.subarray(end + 1);
        this.dispatch(message);
      }
    });
    child.on('exit', () => {
      this.exited = true;
      for (const { reject } of this.pending.values()) reject(new Error('chromium exited: ' + this.stderr()));
      this.pending.clear();
    });
  }

  dispatch(message) {
    if (message.id !== undefined) {
      const waiter = this.pending.get(message.id);
      if (!waiter) return;
      this.pending.delete(message.id);
      if (message.error) waiter.reject(new Error(`${waiter.method}: ${message.error.message}`));
      else waiter.resolve(message.result);
    } else {
      for (const listener of this.listeners) listener(message);
    }
  }

  send(method, params = {}, sessionId = undefined) {
    if (this.exited) return Promise.reject(new Error('chromium is not running: ' + this.stderr()));
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.child.stdio[3].write(JSON.stringify(message) + '\0');
    });
  }

  // A new tab with its own session.
  async newPage({ width = 800, height = 600 } = {}) {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(this, sessionId, targetId);
    await page.send('Page.enable');
    await page.send('Runtime.enable');
    await page.send('Log.enable');
    await page.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 1, mobile: false });
    return page;
  }

  async close() {
    if (!this.exited) {
      const exited = new Promise((resolve) => this.child.once('exit', resolve));
      this.send('Browser.close').catch(() => {});
      await Promise.race([exited, sleep(5000)]);
      if (!this.exited) {
        this.child.kill('SIGKILL');
        await exited;
      }
    }
    fs.rmSync(this.profile, { recursive: true, force: true, maxRetries: 5 });
  }
}

class Page {
  constructor(browser, sessionId, targetId) {
    this.browser = browser;
    this.sessionId = sessionId;
    this.targetId = targetId;
    this.console = [];
    // What the browser's console shows as errors: the page's own, uncaught
    // exceptions and the browser's (a failed request, a refused feature).
    this.errors = [];
    browser.listeners.push((m) => {
      if (m.sessionId !== sessionId) return;
      if (m.method === 'Runtime.consoleAPICalled') {
        const text = m.params.args.map((a) => a.value !== undefined ? a.value : a.description).join(' ');
        this.console.push(text);
        if (m.params.type === 'error') this.errors.push(text);
      } else if (m.method === 'Runtime.exceptionThrown') {
        const text = 'exception: ' + m.params.exceptionDetails.text + ' ' +
                     (m.params.exceptionDetails.exception || {}).description;
        this.console.push(text);
        this.errors.push(text);
      } else if (m.method === 'Log.entryAdded' && m.params.entry.level === 'error') {
        this.errors.push(`${m.params.entry.text} ${m.params.entry.url || ''}`.trim());
      }
    });
  }

  send(method, params = {}) {
    return this.browser.send(method, params, this.sessionId);
  }

  async goto(url) {
    const loaded = new Promise((resolve) => {
      const listener = (m) => {
        if (m.sessionId === this.sessionId && m.method === 'Page.loadEventFired') {
          this.browser.listeners.splice(this.browser.listeners.indexOf(listener), 1);
          resolve();
        }
      };
      this.browser.listeners.push(listener);
    });
    await this.send('Page.navigate', { url });
    await loaded;
  }

  // The value of an expression (awaited if it is a promise).
  async evaluate(expression) {
    const r = await this.send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
    if (r.exceptionDetails) {
      throw new Error(`${expression}: ${(r.exceptionDetails.exception || {}).description || r.exceptionDetails.text}`);
    }
    return r.result.value;
  }

  // Polls an expression until it is truthy; returns its value.
  async waitFor(expression, timeoutMs, what = expression) {
    const deadline = Date.now() + timeoutMs;
    for (;;) {
      // Both read in one go: an error that appears between two reads must
      // not fail a wait for that very error.
      const [value, error] = await this.evaluate(`[(${expression}), window.savaError]`);
      if (value) return value;
      if (error) throw new Error(`page error while waiting for ${what}: ${error}`);
      if (Date.now() > deadline) throw new Error(`timed out after ${timeoutMs} ms waiting for ${what}`);
      await sleep(100);
    }
  }

  async click(selector) {
    const box = await this.evaluate(`(() => { const r = document.querySelector(${JSON.stringify(selector)})
      .getBoundingClientRect(); return { x: r.x + r.width / 2, y: r.y + r.height / 2 }; })()`);
    for (const type of ['mousePressed', 'mouseReleased']) {
      await this.send('Input.dispatchMouseEvent', { type, x: box.x, y: box.y, button: 'left', clickCount: 1 });
    }
  }

  async key(type, key, code, keyCode) {
    await this.send('Input.dispatchKeyEvent', { type, key, code, windowsVirtualKeyCode: keyCode,
                                                nativeVirtualKeyCode: keyCode });
  }

  async screenshot() {
    const { data } = await this.send('Page.captureScreenshot', { format: 'png' });
    return Buffer.from(data, 'base64');
  }

  async close() {
    await this.browser.send('Target.closeTarget', { targetId: this.targetId });
  }
}

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

module.exports = { Browser, sleep };
