// The page around the game: the canvas, the loading line, and the game's
// saved files. The game runs in /vaultrun, where its data is unpacked; what it
// writes there itself (the best time, settings) is copied to /saves, which the
// browser keeps in IndexedDB, and copied back before the next start. A level
// tried out through ?level= keeps its best time in a folder of its own there,
// so that it never touches the game's own level's best nor another's.
'use strict';

var Module = (function () {
  const gameDir = '@VAULTRUN_WEB_GAME_DIR@';  // set by the build
  const savesDir = '/saves';
  // Kept once for every level; the game's other files (the best time) are each level's own.
  const sharedNames = new Set(['Settings.txt']);
  const canvas = document.getElementById('canvas');
  const status = document.getElementById('status');
  const params = new URLSearchParams(location.search);

  let fs = null;
  let canStore = false;
  let dataNames = new Set();   // the files that came with the game
  let levelText = null;        // a level to play instead of the packed one
  let levelSavesDir = savesDir;  // the game's own level keeps its files where they always were
  let persistQueued = false;

  function show(text) { status.textContent = text; }

  function filesIn(dir) {
    return fs.readdir(dir).filter((name) => {
      if (name === '.' || name === '..') return false;
      return fs.isFile(fs.stat(dir + '/' + name).mode);
    });
  }

  const savedIn = (name) => (sharedNames.has(name) ? savesDir : levelSavesDir);
  // The saved files of this level (and the shared ones) as [folder, name].
  function savedFiles() {
    return [...new Set([savesDir, levelSavesDir])].flatMap((dir) =>
      filesIn(dir).filter((name) => savedIn(name) === dir).map((name) => [dir, name]));
  }

  // A folder name for a level's own saves from its text (FNV-1a): the same
  // text keeps the same best time, an edited level starts afresh.
  function levelKey(text) {
    let hash = 0x811c9dc5;
    for (let i = 0; i < text.length; ++i) hash = Math.imul(hash ^ text.charCodeAt(i), 0x01000193) >>> 0;
    return `level-${text.length}-${hash.toString(16).padStart(8, '0')}`;
  }

  // Makes this level's saves hold exactly the files the game wrote, then stores them.
  function persist() {
    persistQueued = false;
    if (!canStore) return;
    try {
      const written = filesIn(gameDir).filter((name) => !dataNames.has(name));
      for (const [dir, name] of savedFiles()) {
        if (!written.includes(name)) fs.unlink(dir + '/' + name);
      }
      for (const name of written) {
        fs.writeFile(savedIn(name) + '/' + name, fs.readFile(gameDir + '/' + name));
      }
      fs.syncfs(false, (error) => {
        if (error) console.warn('Vaultrun: the best time could not be stored:', error);
      });
    } catch (error) {
      console.warn('Vaultrun: the best time could not be stored:', error);
    }
  }

  function persistSoon() {
    if (persistQueued || !canStore) return;
    persistQueued = true;
    setTimeout(persist, 0);
  }

  function inGameDir(path) {
    return typeof path === 'string' && path.startsWith(gameDir + '/');
  }

  // The game writes a file by closing it after writing, or by renaming a
  // written file into place; either queues one store.
  function watchWrites() {
    const close = fs.close;
    fs.close = function (stream) {
      const wrote = stream && (stream.flags & 3) !== 0 && inGameDir(stream.path);
      const result = close.apply(this, arguments);
      if (wrote) persistSoon();
      return result;
    };
    for (const name of ['rename', 'unlink']) {
      const original = fs[name];
      fs[name] = function (path) {
        const result = original.apply(this, arguments);
        if (inGameDir(path)) persistSoon();
        return result;
      };
    }
  }

  // SDL's software renderer draws the game's finished frames into a 2-D
  // canvas as they are; its WebGL renderer would upload each frame as a
  // texture, which costs far more where WebGL runs without a GPU.
  function chooseRenderer() {
    Module.ENV.SDL_RENDER_DRIVER = 'software';
  }

  // Before the game starts: open the browser's store. A browser that cannot
  // store (private windows) plays on without a stored best time.
  function openSaves() {
    fs = Module.FS;
    fs.mkdir(savesDir);
    try {
      fs.mount(fs.filesystems.IDBFS, {}, savesDir);
    } catch (error) {
      console.warn('Vaultrun: no storage, the best time will not be kept:', error);
      return;
    }
    Module.addRunDependency('saves');
    try {
      fs.syncfs(true, (error) => {
        canStore = !error;
        if (error) console.warn('Vaultrun: no storage, the best time will not be kept:', error);
        Module.removeRunDependency('saves');
      });
    } catch (error) {
      console.warn('Vaultrun: no storage, the best time will not be kept:', error);
      Module.removeRunDependency('saves');
    }
  }

  // ?level=NAME plays the level file NAME from this site instead of the
  // game's own (for trying out levels).
  function fetchLevel() {
    const name = params.get('level');
    if (!name) return;
    const url = new URL(name, location.href);
    if (url.origin !== location.origin) {
      console.warn('Vaultrun: levels come only from this site, not from ' + url.origin);
      return;
    }
    Module.addRunDependency('level');
    fetch(url, { cache: 'no-store' })
      .then((response) => {
        if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
        return response.text();
      })
      .then((text) => { levelText = text; })
      .catch((error) => console.warn('Vaultrun: level ' + name + ' not loaded:', error))
      .finally(() => Module.removeRunDependency('level'));
  }

  // Everything has arrived: put the saved files beside the data (never over
  // it) and start the game in its folder.
  function prepareGameDir() {
    dataNames = new Set(filesIn(gameDir));
    if (levelText !== null) levelSavesDir = savesDir + '/' + levelKey(levelText);
    if (canStore) {
      if (!fs.analyzePath(levelSavesDir).exists) fs.mkdir(levelSavesDir);
      for (const [dir, name] of savedFiles()) {
        if (!dataNames.has(name)) fs.writeFile(gameDir + '/' + name, fs.readFile(dir + '/' + name));
      }
    }
    if (levelText !== null) fs.writeFile(gameDir + '/level1.txt', levelText);
    fs.chdir(gameDir);
    watchWrites();
    show('');
    canvas.focus();
  }

  canvas.addEventListener('webglcontextlost', (event) => {
    show('The browser took the game\'s screen away: reload the page.');
    event.preventDefault();
  });
  window.addEventListener('load', () => canvas.focus());

  return {
    canvas: canvas,
    preRun: [chooseRenderer, openSaves, fetchLevel],
    onRuntimeInitialized: prepareGameDir,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    setStatus: (text) => { if (text) show(text.replace(/\(\d+\/\d+\)/, '').trim() || 'Loading the game…'); },
    onAbort: (what) => show('The game stopped: ' + what),
  };
})();
