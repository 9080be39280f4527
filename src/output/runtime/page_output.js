// Вывод страницы: consolelog пишет в панель результата, consoleclear её очищает.
function consolelog(содержимое) {
  результат = document.getElementById("result");
  if (!результат) {
    console.log(содержимое);
    return;
  }
  результат.style.display = 'block';
  результат.style.color = 'white';
  результат.innerHTML = содержимое;
}
function consoleclear() {
  результат = document.getElementById("result");
  if (результат) {
    результат.style.display = 'none';
    результат.innerHTML = '';
  }
}
