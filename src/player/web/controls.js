// The show's controls for mouse, touch and keyboard: a bar over the picture
// that appears on a pointer movement, a tap or a key and fades after a few
// seconds of rest. Its buttons press the keys the show already takes (the
// same path as the keyboard), so they do what the keys do, and switch the
// reduced flashing; the time shown is the show's own (savaStatus()). The
// timeline marks the scenes (named on hover, while dragging or on a long
// press) and the ones already loaded; a click, a tap or a drag there seeks.
'use strict';
(() => {
  const stage = document.getElementById('stage');
  // The show's length, from its list (data/show.json; 1 until it is here).
  const showLength = () => (window.savaShowList ? window.savaShowList.length_ms : 1);
  const restMs = 3000;

  // name, label, key (keyCode, key) pressed
  const buttons = [
    ['pause', '⏯', 'Play or pause (Space)', [32, ' ']],
    ['previous', '⏮', 'Previous scene (Page Up)', [33, 'PageUp']],
    ['back', '⏪', 'One second back (Left)', [37, 'ArrowLeft']],
    ['forward', '⏩', 'One second on (Right)', [39, 'ArrowRight']],
    ['next', '⏭', 'Next scene (Page Down)', [34, 'PageDown']],
    ['loop', '🔁', 'Loop this scene (L)', [76, 'l']],
    ['end', '⏹', 'End the show (Escape)', [27, 'Escape']],
  ];

  const style = document.createElement('style');
  style.textContent = `
    #controls { position: absolute; left: 0; right: 0; bottom: 0; display: flex; flex-wrap: wrap;
                align-items: center; justify-content: center; gap: 0.4em; padding: 0.6em;
                background: linear-gradient(transparent, rgba(0,0,0,0.8)); transition: opacity 0.4s; }
    #controls[hidden] { display: none; }
    #controls.resting { opacity: 0; pointer-events: none; }
    #controls button { padding: 0.3em 0.6em; min-width: 2.6em; min-height: 2.6em; }
    #controls button[aria-pressed="true"] { border-color: #eee; background: #444; }
    #controls-time { color: #eee; font-variant-numeric: tabular-nums; white-space: nowrap; }
    #controls-timeline { flex: 1 1 60%; height: 2.2em; position: relative; cursor: pointer; touch-action: none; }
    #controls-timeline::before { content: ""; position: absolute; left: 0; right: 0; top: 0.85em; height: 0.5em;
                                 background: #333; border-radius: 0.25em; }
    #controls-timeline:focus-visible { outline: 2px solid #aaa; outline-offset: 2px; }
    #controls-timeline .loaded { position: absolute; top: 0.85em; height: 0.5em; background: #777; }
    #controls-played { position: absolute; left: 0; top: 0.85em; height: 0.5em; background: #eee; border-radius: 0.25em; }
    #controls-timeline .mark { position: absolute; top: 0.6em; width: 2px; height: 1em; background: #bbb; }
    #controls-tip { position: absolute; bottom: 2.4em; transform: translateX(-50%); white-space: nowrap;
                    background: #111; color: #eee; border: 1px solid #555; border-radius: 4px; padding: 0.1em 0.5em;
                    font-size: 0.85em; pointer-events: none; }
    #stage.playing #fullscreen { display: none; }`;
  document.head.appendChild(style);

  const bar = document.createElement('div');
  bar.id = 'controls';
  bar.hidden = true;
  bar.setAttribute('role', 'toolbar');
  bar.setAttribute('aria-label', 'Show controls');
  for (const [name, label, title, key] of buttons) {
    const button = document.createElement('button');
    button.id = 'controls-' + name;
    button.textContent = label;
    button.title = title;
    button.setAttribute('aria-label', title);
    button.onclick = () => press(key);
    bar.appendChild(button);
  }
  // The timeline: a slider (Left and Right, the show's own keys, move it a
  // second), the scenes' starts marked, the loaded scenes shaded.
  const timeline = document.createElement('div');
  timeline.id = 'controls-timeline';
  timeline.tabIndex = 0;
  timeline.setAttribute('role', 'slider');
  timeline.setAttribute('aria-label', 'Show time');
  timeline.setAttribute('aria-valuemin', '0');
  timeline.setAttribute('aria-valuenow', '0');
  const loaded = document.createElement('div');
  const played = document.createElement('div');
  played.id = 'controls-played';
  const marks = document.createElement('div');
  const tip = document.createElement('div');
  tip.id = 'controls-tip';
  tip.hidden = true;
  timeline.append(loaded, played, marks, tip);
  const time = document.createElement('span');
  time.id = 'controls-time';
  const full = document.createElement('button');
  full.id = 'controls-fullscreen';
  full.textContent = '⛶';
  full.title = 'Full screen';
  full.setAttribute('aria-label', 'Full screen');
  full.onclick = () => document.getElementById('fullscreen').click();
  // Reduced flashing on or off, as chosen on the start screen.
  const choice = document.getElementById('reduce-flashing');
  const dim = document.createElement('button');
  dim.id = 'controls-reduce-flashing';
  dim.textContent = '◐';
  dim.title = 'Reduced flashing';
  dim.setAttribute('aria-label', 'Reduced flashing');
  const showDim = () => dim.setAttribute('aria-pressed', String(Boolean(choice && choice.checked)));
  dim.onclick = () => {
    if (choice) choice.checked = !choice.checked;
    showDim();
    if (window.Module && Module._sava_web_reduce_flashing) Module._sava_web_reduce_flashing(choice && choice.checked ? 1 : 0);
    wake();
  };
  if (choice) choice.addEventListener('change', showDim);
  showDim();
  const line = document.createElement('div');
  line.style.cssText = 'display: flex; align-items: center; gap: 0.8em; flex-basis: 100%;';
  line.append(time, timeline);
  bar.prepend(line);
  bar.append(dim, full);
  stage.appendChild(bar);

  // The same key press the keyboard makes, through the page's key path.
  function press([keyCode, key]) {
    for (const type of ['keydown', 'keyup']) {
      const event = new KeyboardEvent(type, { key, bubbles: true, cancelable: true });
      Object.defineProperty(event, 'keyCode', { value: keyCode });
      Object.defineProperty(event, 'which', { value: keyCode });
      document.dispatchEvent(event);
    }
    wake();
  }

  // Keys meant for the page rather than the show (moving the focus, pressing
  // a focused control) do not reach the show.
  const pageKeys = new Set(['Tab', 'Enter', ' ']);
  for (const type of ['keydown', 'keyup', 'keypress']) {
    window.addEventListener(type, (event) => {
      const onControl = event.target instanceof Element && event.target.closest('button, input, a');
      if (event.key === 'Tab' || (onControl && pageKeys.has(event.key))) event.stopPropagation();
      if (event.isTrusted && stage.classList.contains('playing')) wake();
    }, true);
  }

  const clock = (ms) => {
    const s = Math.max(0, Math.floor(ms / 1000));
    return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
  };

  // The scenes from the show's list (once it is here): start and name.
  const scenes = () => (window.savaShowList ? window.savaShowList.scenes : []);
  const sceneName = (ms) => {
    let name = '';
    for (const scene of scenes()) if (scene.ms <= ms && scene.ms < showLength()) name = scene.name;
    return name;
  };
  const at = (ms) => `${(100 * ms) / showLength()}%`;
  let marked = false;
  function markScenes() {
    if (marked || !scenes().length) return;
    marked = true;
    for (const scene of scenes()) {
      if (scene.ms <= 0 || scene.ms >= showLength()) continue;
      const mark = document.createElement('div');
      mark.className = 'mark';
      mark.style.left = at(scene.ms);
      marks.appendChild(mark);
    }
  }
  let shownReady = '';
  function shadeLoaded() {
    const ready = window.savaReadyScenes || [];
    const key = ready.join();
    if (key === shownReady) return;
    shownReady = key;
    loaded.textContent = '';
    scenes().forEach((scene, i) => {
      if (!ready[i] || scene.ms >= showLength()) return;
      const part = document.createElement('div');
      part.className = 'loaded';
      part.style.left = at(scene.ms);
      part.style.width = `${(100 * (scenes()[i + 1].ms - scene.ms)) / showLength()}%`;
      loaded.appendChild(part);
    });
  }

  // Seeking by pointer: a click or a tap seeks where it lands; a drag shows
  // the time and scene under it and seeks where it is let go; a long press
  // that does not move only names the scene.
  const longPressMs = 500;
  let drag = null;
  const timeAt = (event) => {
    const box = timeline.getBoundingClientRect();
    const x = Math.min(Math.max(event.clientX - box.left, 0), box.width);
    return Math.min(showLength() - 1, Math.round((x / box.width) * showLength()));
  };
  function showTip(ms) {
    tip.hidden = false;
    tip.style.left = at(ms);
    tip.textContent = `${clock(ms)} ${sceneName(ms)}`.trim();
  }
  timeline.addEventListener('pointerdown', (event) => {
    timeline.setPointerCapture(event.pointerId);
    drag = { x: event.clientX, since: performance.now(), moved: false };
    showTip(timeAt(event));
    wake();
  });
  timeline.addEventListener('pointermove', (event) => {
    if (drag && Math.abs(event.clientX - drag.x) > 4) drag.moved = true;
    if (drag || event.pointerType === 'mouse') showTip(timeAt(event));
  });
  timeline.addEventListener('pointerleave', () => { if (!drag) tip.hidden = true; });
  timeline.addEventListener('pointercancel', () => { drag = null; tip.hidden = true; });
  timeline.addEventListener('pointerup', (event) => {
    if (!drag) return;
    const longPress = !drag.moved && performance.now() - drag.since >= longPressMs;
    drag = null;
    if (event.pointerType !== 'mouse') tip.hidden = true;
    if (!longPress && window.Module && Module._sava_web_seek) Module._sava_web_seek(timeAt(event));
    wake();
  });

  let restTimer = 0;
  function wake() {
    if (!stage.classList.contains('playing')) return;
    bar.hidden = false;
    bar.classList.remove('resting');
    stage.style.cursor = 'default';
    clearTimeout(restTimer);
    restTimer = setTimeout(() => {
      if (bar.contains(document.activeElement) && document.activeElement !== document.body) return;
      bar.classList.add('resting');
      stage.style.cursor = '';
    }, restMs);
  }
  stage.addEventListener('pointermove', wake);
  stage.addEventListener('pointerdown', wake);
  bar.addEventListener('focusin', wake);

  // The browser's media controls (media keys, lock screen, notification):
  // the show's name and poster, play, pause, seeks, and where the show is
  // (its length from its list).
  const playing = () => stage.classList.contains('playing') && typeof window.savaStatus === 'function';
  const seekTo = (ms) => {
    if (playing() && window.Module && Module._sava_web_seek) {
      Module._sava_web_seek(Math.max(0, Math.min(showLength() - 1, Math.round(ms))));
    }
  };
  const seekBy = (details, sign) => {
    if (playing()) seekTo(window.savaStatus().time_ms + sign * 1000 * ((details && details.seekOffset) || 10));
  };
  const space = buttons[0][3];
  const mediaActions = {
    play: () => { if (playing() && window.savaStatus().paused) press(space); },
    pause: () => { if (playing() && !window.savaStatus().paused) press(space); },
    seekbackward: (details) => seekBy(details, -1),
    seekforward: (details) => seekBy(details, 1),
    seekto: (details) => { if (details && Number.isFinite(details.seekTime)) seekTo(details.seekTime * 1000); },
  };
  window.savaMediaActions = mediaActions;
  const media = navigator.mediaSession;
  function mediaPosition() {
    if (!media) return;
    if (!playing()) {
      media.playbackState = 'none';
      return;
    }
    const status = window.savaStatus();
    media.playbackState = status.paused ? 'paused' : 'playing';
    if (!window.savaShowList || !media.setPositionState) return;
    try {
      media.setPositionState({ duration: showLength() / 1000, playbackRate: 1,
                               position: Math.max(0, Math.min(showLength(), status.time_ms)) / 1000 });
    } catch (e) {}
  }
  if (media) {
    const poster = document.getElementById('poster');
    if (window.MediaMetadata) {
      media.metadata = new MediaMetadata({
        title: document.getElementById('title').textContent,
        artwork: [{ src: new URL(poster.getAttribute('src'), location.href).href, sizes: '400x300', type: 'image/jpeg' }],
      });
    }
    for (const [action, handler] of Object.entries(mediaActions)) {
      try { media.setActionHandler(action, handler); } catch (e) {}
    }
    window.savaMoved = () => setTimeout(mediaPosition, 0);
    setInterval(mediaPosition, 1000);
  }

  // While the bar rests (out of sight) the status is read a few times a
  // second, for the address of a pause, rather than in every frame; what is
  // shown changes only when its text or its width does.
  let statusRead = -Infinity, shownSecond = -1, shownWidth = '';
  function update(now) {
    const playing = stage.classList.contains('playing');
    if (!playing) bar.hidden = true;
    if (playing && !bar.hidden && typeof window.savaStatus === 'function' &&
        (!bar.classList.contains('resting') || now - statusRead >= 250)) {
      statusRead = now;
      const status = window.savaStatus();
      const ms = status.time_ms !== undefined ? status.time_ms : status.now_ms;
      const width = `${Math.min(100, (100 * ms) / showLength()).toFixed(2)}%`;
      if (width !== shownWidth) played.style.width = shownWidth = width;
      if (Math.floor(ms / 1000) !== shownSecond) {
        shownSecond = Math.floor(ms / 1000);
        time.textContent = `${clock(ms)} / ${clock(showLength())}`;
        timeline.setAttribute('aria-valuemax', String(showLength() / 1000));
        timeline.setAttribute('aria-valuenow', String(shownSecond));
        timeline.setAttribute('aria-valuetext', `${clock(ms)} ${sceneName(ms)}`.trim());
      }
      markScenes();
      shadeLoaded();
      // Paused, the address points at the moment on screen, so that a copied
      // link lands there.
      if (status.paused && window.savaShowTime) {
        const fragment = '#t=' + window.savaShowTime(ms);
        if (location.hash !== fragment) history.replaceState(null, '', fragment);
      }
    }
    requestAnimationFrame(update);
  }
  requestAnimationFrame(update);
})();
