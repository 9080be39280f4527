// Режим наблюдения: ждёт от сервера ответа на '/wait' и перезагружает страницу после перекомпиляции.
(function лусОпрос() {
  fetch('/wait', { cache: 'no-store' }).then(function (ответ) {
    if (ответ.status === 200) {
      location.reload();
    } else {
      setTimeout(лусОпрос, 800);
    }
  }, function () {
    setTimeout(лусОпрос, 1200);
  });
})();
